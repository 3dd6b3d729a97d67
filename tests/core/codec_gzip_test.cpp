#include <gtest/gtest.h>

#include <string>

#include "core/codec/gzip.h"

namespace {

core::Bytes sample(std::size_t size) {
    core::Bytes data(size);
    std::uint32_t state = 12345;
    for (std::size_t i = 0; i < size; ++i) {
        state = state * 1103515245 + 12345;
        data[i] = static_cast<std::uint8_t>(i % 3 == 0 ? state >> 24 : 'a' + i % 7);
    }
    return data;
}

std::string error_of(const core::Result<core::Bytes>& result) { return result ? "ok" : result.error().chain(); }

TEST(Gzip, RoundTripsEmptySmallAndMultiChunkData) {
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{100'000}, std::size_t{3'000'000}}) {
        const auto data = sample(size);
        const auto packed = core::gzip_compress(data).value();
        const auto unpacked = core::gzip_decompress(packed, size + 1);
        ASSERT_TRUE(unpacked) << error_of(unpacked);
        EXPECT_EQ(*unpacked, data);
        EXPECT_GT(unpacked->capacity(), unpacked->size());  // room for a terminator
    }
}

TEST(Gzip, ReadLimitStopsInflationAtTheLimit) {
    const auto data = sample(1'000'000);
    const auto packed = core::gzip_compress(data).value();
    // Exactly as large as the limit: the whole content comes out.
    EXPECT_EQ(core::gzip_decompress(packed, 1'000'000).value().size(), 1'000'000u);
    // Larger: exactly the limit comes out, and the stream's end is never reached (so a
    // damaged trailer does not matter).
    auto damaged = packed;
    damaged[damaged.size() - 6] ^= 0xff;
    const auto cut = core::gzip_decompress(damaged, 999'999);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->size(), 999'999u);
    EXPECT_TRUE(std::equal(cut->begin(), cut->end(), data.begin()));
}

TEST(Gzip, DamagedStreamsFailWithZlibsMessage) {
    const auto data = sample(50'000);
    const auto packed = core::gzip_compress(data).value();

    auto bad_crc = packed;
    bad_crc[bad_crc.size() - 8] ^= 1;
    EXPECT_EQ(error_of(core::gzip_decompress(bad_crc, 1 << 20)), "incorrect data check");
    auto bad_length = packed;
    bad_length[bad_length.size() - 1] ^= 1;
    EXPECT_EQ(error_of(core::gzip_decompress(bad_length, 1 << 20)), "incorrect length check");
    auto bad_magic = packed;
    bad_magic[0] = 0x78;
    EXPECT_EQ(error_of(core::gzip_decompress(bad_magic, 1 << 20)), "incorrect header check");
    auto bad_method = packed;
    bad_method[2] = 7;
    EXPECT_EQ(error_of(core::gzip_decompress(bad_method, 1 << 20)), "unknown compression method");
    const core::Bytes bad_block{0x1f, 0x8b, 8, 0, 0, 0, 0, 0, 0, 3, 0x07, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(error_of(core::gzip_decompress(bad_block, 1 << 20)), "invalid block type");
}

TEST(Gzip, TruncatedEmptyAndTrailingInputIsRefused) {
    const auto packed = core::gzip_compress(sample(50'000)).value();
    for (const std::size_t keep : {std::size_t{0}, std::size_t{5}, packed.size() / 2, packed.size() - 1}) {
        const core::Bytes truncated(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(keep));
        EXPECT_EQ(error_of(core::gzip_decompress(truncated, 1 << 20)), "unexpected end of gzip stream") << keep;
    }
    // A second member, or any byte after the first, is refused: packages never carry it.
    auto two = packed;
    two.insert(two.end(), packed.begin(), packed.end());
    EXPECT_EQ(error_of(core::gzip_decompress(two, 1 << 20)), "unexpected data after gzip stream");
    auto one_more = packed;
    one_more.push_back(0);
    EXPECT_EQ(error_of(core::gzip_decompress(one_more, 1 << 20)), "unexpected data after gzip stream");
}

}  // namespace
