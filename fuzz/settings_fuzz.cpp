// parse_settings on arbitrary bytes, as load_settings hands it the whole file; settings
// that read are written back out and must read back the same.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/settings/settings_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto config = core::parse_settings(text);
    if (!config) return 0;
    const auto written = core::format_settings(*config);
    // Everything read is valid UTF-8, so it can always be written.
    if (!written) __builtin_trap();
    const auto again = core::parse_settings(*written);
    if (!again || !(*again == *config)) __builtin_trap();
    return 0;
}
