#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "core/error/error.h"

namespace player {

inline constexpr wchar_t kControllerWindowClass[] = L"Tessary.Control";

// Registers the hidden controller window's class.
core::Status register_controller_window_class();

// The hidden controller window: every outside stimulus arrives here as a message, and its
// procedure only turns messages into queued events. Destroying it posts the quit message.
class ControllerWindow {
public:
    static core::Result<ControllerWindow> create(const std::string& instance_name);

    ControllerWindow(ControllerWindow&&) noexcept;
    ControllerWindow& operator=(ControllerWindow&&) noexcept;
    ~ControllerWindow();

    HWND handle() const;
    void destroy();

    // The number of the registered "TaskbarCreated" message; 0 until registered.
    void set_taskbar_created_message(UINT message);

    struct State;

private:
    explicit ControllerWindow(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

}  // namespace player
