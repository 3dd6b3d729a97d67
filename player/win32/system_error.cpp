#include "player/win32/system_error.h"

#include "core/text/hex.h"
#include "player/win32/unique_resource.h"
#include "player/win32/wide.h"

namespace win32 {

core::Error system_error(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const unique_local owner(buffer);

    std::string text;
    if (length > 0) {
        std::wstring_view wide(buffer, length);
        // The system's texts end in a line break, which would split a log line.
        while (!wide.empty() && (wide.back() == L'\r' || wide.back() == L'\n' || wide.back() == L' ')) {
            wide.remove_suffix(1);
        }
        text = to_utf8(wide).value_or(std::string());
    }
    if (text.empty()) text = "system error";
    text += " (os error " + std::to_string(code) + ")";
    return core::Error::os(std::move(text), code);
}

core::Error last_error() { return system_error(::GetLastError()); }

core::Error failed_call(std::string_view call, DWORD code) {
    return core::Error::os(std::string(call) + " failed: " + system_error(code).message(), code);
}

core::Error failed_call(std::string_view call) { return failed_call(call, ::GetLastError()); }

core::Error failed_hresult(std::string_view call, HRESULT result) {
    return core::Error(std::string(call) + " failed: " + hresult_text(result));
}

std::string hresult_text(HRESULT result) { return core::hex_number(static_cast<std::uint32_t>(result)); }

}  // namespace win32
