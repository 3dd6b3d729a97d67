#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "core/error/error.h"

namespace player {

// What a host window shows while it holds no page: a plain background with a short text,
// painted by the host itself, so that a preview window is never left unpainted. The host
// window keeps its own procedure; the notice hooks its painting until dropped.
class HostNotice {
public:
    static core::Result<std::unique_ptr<HostNotice>> show(HWND window, std::string text);
    ~HostNotice();
    HostNotice(const HostNotice&) = delete;
    HostNotice& operator=(const HostNotice&) = delete;

    // Repaints with the text.
    void set_text(std::string text);

private:
    HostNotice(HWND window, std::string text) : window_(window), text_(std::move(text)) {}
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                      DWORD_PTR data);
    void paint() const;

    HWND window_;
    std::string text_;
    bool hooked_ = false;
};

}  // namespace player
