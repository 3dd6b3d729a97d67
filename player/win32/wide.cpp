#include "player/win32/wide.h"

#include "core/text/utf.h"

namespace win32 {

// wchar_t is UTF-16 on Windows, so the core's char16_t conversions apply unchanged.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

core::Result<std::wstring> to_wide(std::string_view text) {
    auto wide = core::utf8_to_utf16(text);
    if (!wide) return std::unexpected(wide.error());
    return std::wstring(wide->begin(), wide->end());
}

core::Result<std::string> to_utf8(std::wstring_view text) {
    const std::u16string_view view(reinterpret_cast<const char16_t*>(text.data()), text.size());
    return core::utf16_to_utf8(view);
}

}  // namespace win32
