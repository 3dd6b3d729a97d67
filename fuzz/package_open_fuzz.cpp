// A whole package file with the signature check skipped (nothing else): header length,
// header JSON, manifest, then inflation under the size limit, the archive, the path
// checks, base64 decoding under the asset limits and the entry check.
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/package/package_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    const auto header = core::read_package_header_after_signature(file);
    if (!header) return 0;
    const auto opened = core::open_package(*header, file);
    if (opened && !opened->assets.contains(header->manifest.entry)) __builtin_trap();
    return 0;
}
