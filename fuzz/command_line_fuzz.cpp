// The command line as the program sees it: UTF-16 arguments converted to UTF-8 (an
// argument that does not convert becomes empty, as at start-up), then read as options.
// The input is split at zero bytes into arguments of 16-bit units.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/startup/command_line.h"
#include "core/text/utf.h"

namespace {

std::vector<std::u16string> split_arguments(const std::uint8_t* data, std::size_t size) {
    std::vector<std::u16string> args(1);
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const auto unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
        if (unit == 0) {
            args.emplace_back();
        } else {
            args.back().push_back(unit);
        }
    }
    return args;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args;
    for (const std::u16string& wide : split_arguments(data, size)) {
        auto narrow = core::utf16_to_utf8(wide);
        if (narrow) {
            // Conversion is exact both ways for well-formed text.
            const auto back = core::utf8_to_utf16(*narrow);
            if (!back || *back != wide || !core::is_valid_utf8(*narrow)) __builtin_trap();
        }
        args.push_back(narrow.value_or(std::string()));
    }
    const auto options = core::parse_startup_options(args);
    if (options) {
        if (options->select_wallpaper && !core::validate_requested_id(*options->select_wallpaper)) {
            __builtin_trap();
        }
    } else if (options.error().message().empty()) {
        __builtin_trap();
    }
    (void)core::check_source_option(args);
    return 0;
}
