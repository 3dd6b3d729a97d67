// parse_manifest and validate_manifest on arbitrary bytes; a manifest that reads is
// written back out and must read back the same.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/content/manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto manifest = core::parse_manifest(text);
    if (!manifest) {
        if (manifest.error().message().empty()) __builtin_trap();
        return 0;
    }
    (void)core::validate_manifest(*manifest);
    for (const core::JsonStyle style : {core::JsonStyle::compact, core::JsonStyle::pretty}) {
        const auto again = core::parse_manifest(core::manifest_json(*manifest, style));
        if (!again || !(*again == *manifest)) __builtin_trap();
    }
    return 0;
}
