// The archive reader over arbitrary decompressed text: strict JSON, duplicate paths,
// the member count, borrowed and escaped base64 views.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/package/archive_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto members = core::read_archive(text);
    if (members) {
        for (const core::ArchiveMember& member : *members) {
            // Every view must lie inside the text or the member's own copy.
            const std::string_view base64 = member.base64();
            volatile std::size_t sum = 0;
            for (const char c : base64) sum = sum + static_cast<unsigned char>(c);
        }
    }
    return 0;
}
