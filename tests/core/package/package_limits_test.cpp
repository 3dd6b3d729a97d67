#include <gtest/gtest.h>

#include <string>

#include "core/codec/gzip.h"
#include "core/package/package_format.h"
#include "core/package/package_reader.h"
#include "core/package/package_writer.h"
#include "package_fixture.h"

namespace {

using namespace package_test;

constexpr std::size_t kMiB = 1024 * 1024;

// An archive text with assets of the given decoded sizes (zero bytes, so that the
// payload stays small), named a.bin, b.bin, ... in that order, plus index.html.
std::string archive_of_sizes(std::initializer_list<std::size_t> sizes, std::string_view tail = "") {
    std::string text = "{\"files\":{\"index.html\":\"\"";
    char name = 'a';
    for (const std::size_t size : sizes) {
        text += ",\"";
        text += name++;
        text += ".bin\":\"";
        std::string base64(size / 3 * 4, 'A');
        if (size % 3 == 1) base64 += "AA==";
        if (size % 3 == 2) base64 += "AAA=";
        text += base64;
        text += '"';
    }
    text += tail;
    text += "}}";
    return text;
}

TEST(PackageLimits, OneAssetUpTo24MiB) {
    EXPECT_EQ(open_result(package_with_archive(archive_of_sizes({24 * kMiB}))), "ok");
    // One byte more takes more than 32 MiB of base64 text.
    EXPECT_EQ(open_result(package_with_archive(archive_of_sizes({24 * kMiB + 1}))), "asset too large");
    // The text limit is checked before decoding: an invalid base64 text of 32 MiB + 4
    // bytes is too large, not invalid.
    std::string text = "{\"files\":{\"index.html\":\"\",\"a.bin\":\"" + std::string(32 * kMiB + 4, '!') + "\"}}";
    EXPECT_EQ(open_result(package_with_archive(text)), "asset too large");
}

TEST(PackageLimits, AllAssetsUpTo64MiBCountedInPathOrder) {
    EXPECT_EQ(open_result(package_with_archive(archive_of_sizes({24 * kMiB, 24 * kMiB, 16 * kMiB}))), "ok");
    // The third asset crosses the total; a broken fourth asset is never reached.
    EXPECT_EQ(open_result(package_with_archive(
                  archive_of_sizes({24 * kMiB, 24 * kMiB, 24 * kMiB}, ",\"d.bin\":\"Zh==\""))),
              "assets too large");
    EXPECT_EQ(open_result(package_with_archive(archive_of_sizes({24 * kMiB, 24 * kMiB, 16 * kMiB + 1}))),
              "assets too large");
}

TEST(PackageLimits, DecompressedArchiveUpTo128MiB) {
    // Exactly the limit: a valid archive padded with white space is accepted.
    std::string text = archive_of_sizes({});
    text.resize(core::kMaxArchiveTextBytes, ' ');
    EXPECT_EQ(open_result(package_with_archive(text)), "ok");
    // One byte more is refused before the archive is read.
    text.push_back(' ');
    EXPECT_EQ(open_result(package_with_archive(text)), "decompressed package too large");
}

TEST(PackageLimits, OversizedStreamStopsAtTheLimit) {
    // 128 MiB + 2 bytes whose trailer is damaged: inflation stops at 128 MiB + 1 bytes,
    // so the size error is reported and the damage is never reached.
    const std::string text(core::kMaxArchiveTextBytes + 2, ' ');
    auto payload = core::gzip_compress(bytes_of(text)).value();
    payload[payload.size() - 6] ^= 0xff;
    const auto file = core::assemble_package(core::package_header_json(sample_manifest()), payload, test_seed());
    EXPECT_EQ(open_result(file.value()), "decompressed package too large");
}

}  // namespace
