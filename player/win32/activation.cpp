#include "player/win32/activation.h"

namespace win32 {

void release_activation(HWND window) {
    if (window == nullptr) return;
    if (::GetActiveWindow() == window) ::SetActiveWindow(nullptr);
    const HWND focus = ::GetFocus();
    if (focus != nullptr && (focus == window || ::IsChild(window, focus))) ::SetFocus(nullptr);
}

}  // namespace win32
