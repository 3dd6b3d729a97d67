#include <gtest/gtest.h>

#include "core/crypto/sha.h"
#include "core/json/json_record.h"
#include "core/package/package_format.h"
#include "core/package/package_reader.h"
#include "core/package/package_writer.h"
#include "package_fixture.h"

namespace {

using namespace package_test;

constexpr std::string_view kSignatureMessage = "package signature invalid; only publisher packages are accepted";

core::Bytes sample_package() {
    return core::write_package(sample_manifest(), sample_assets(), test_seed()).value();
}

// A header of exactly the given text, signed, over a valid archive.
core::Bytes package_with_header(std::string_view header_json) {
    return signed_package(header_json, core::archive_json(sample_assets()));
}

// The header length field set to a value, the file re-signed so that only the length is wrong.
core::Bytes with_header_length(core::Bytes file, std::uint32_t length) {
    for (int i = 0; i < 4; ++i) file[8 + i] = static_cast<std::uint8_t>(length >> (8 * i));
    file.resize(file.size() - core::kPackageSignatureBytes);
    const auto signature = core::ed25519_sign(test_seed(), file).value();
    file.insert(file.end(), signature.begin(), signature.end());
    return file;
}

std::string json_reader_error(std::string_view text) {
    core::Manifest manifest;
    std::uint32_t format = 0;
    const core::JsonRecord nested = core::manifest_record(manifest);
    core::JsonRecord header;
    header.uint32("format", format).record("manifest", nested);
    return core::read_json_record(text, header).error().chain();
}

TEST(PackageHeader, ValidPackageGivesManifestPayloadAndHash) {
    const core::Bytes file = sample_package();
    const auto parsed = core::read_package_header(file, test_key());
    ASSERT_TRUE(parsed) << parsed.error().chain();
    EXPECT_EQ(parsed->format, 1u);
    EXPECT_EQ(parsed->manifest, sample_manifest());
    const std::string header = core::package_header_json(sample_manifest());
    EXPECT_EQ(header, "{\"format\":1,\"manifest\":{\"id\":\"aurora-drift\",\"name\":\"Aurora Drift\",\"version\":1,"
                      "\"entry\":\"index.html\",\"fps\":30}}");
    EXPECT_EQ(parsed->payload_offset, 12 + header.size());
    EXPECT_EQ(parsed->payload_size, file.size() - 12 - header.size() - 64);
    EXPECT_EQ(parsed->hash.value(), core::sha256_hex(file));
    EXPECT_EQ(parsed->hash.value().size(), 64u);
}

TEST(PackageHeader, SizeIsCheckedBeforeTheMagic) {
    EXPECT_EQ(header_result(core::Bytes(91, 'W')), "invalid package size");
    EXPECT_EQ(header_result(core::Bytes{}), "invalid package size");
    core::Bytes huge(67'108'865, 0);
    EXPECT_EQ(header_result(huge), "invalid package size");
    // 92 bytes is a possible size: the next check (magic) speaks.
    EXPECT_EQ(header_result(core::Bytes(92, 0)), "unknown package format");
}

TEST(PackageHeader, AnyChangedMagicByteIsAnUnknownFormatEvenWhenSigned) {
    const core::Bytes good = sample_package();
    for (std::size_t i = 0; i < core::kPackageMagic.size(); ++i) {
        core::Bytes file(good.begin(), good.end() - 64);
        file[i] ^= 0x20;
        const auto signature = core::ed25519_sign(test_seed(), file).value();  // a valid signature
        file.insert(file.end(), signature.begin(), signature.end());
        EXPECT_EQ(header_result(file), "unknown package format") << i;
    }
}

TEST(PackageHeader, EverySingleChangedByteAfterTheMagicBreaksTheSignature) {
    const core::Bytes good = sample_package();
    for (std::size_t i = core::kPackageMagic.size(); i < good.size(); ++i) {
        core::Bytes file = good;
        file[i] ^= static_cast<std::uint8_t>(1u << (i % 8));
        const auto parsed = core::read_package_header(file, test_key());
        ASSERT_FALSE(parsed) << i;
        EXPECT_EQ(parsed.error().message(), kSignatureMessage) << i;
        EXPECT_NE(parsed.error().cause(), nullptr) << i;  // the verifier's reason
    }
}

TEST(PackageHeader, AnotherPublishersPackageIsRefusedWithTheVerifiersReason) {
    const core::Bytes file = core::write_package(sample_manifest(), sample_assets(), other_seed()).value();
    EXPECT_EQ(header_result(file), std::string(kSignatureMessage) + ": Bad signature");
    // A scalar pushed to S + L would pass a lax verifier; the strict one names it.
    core::Bytes lax = sample_package();
    const std::uint8_t order[32] = {0xed, 0xd3, 0xf5, 0x5c, 0x1a, 0x63, 0x12, 0x58, 0xd6, 0x9c, 0xf7,
                                    0xa2, 0xde, 0xf9, 0xde, 0x14, 0, 0, 0, 0, 0, 0,
                                    0, 0, 0, 0, 0, 0, 0, 0, 0, 0x10};
    unsigned carry = 0;
    for (std::size_t i = 0; i < 32; ++i) {
        const unsigned sum = lax[lax.size() - 32 + i] + order[i] + carry;
        lax[lax.size() - 32 + i] = static_cast<std::uint8_t>(sum);
        carry = sum >> 8;
    }
    EXPECT_EQ(header_result(lax), std::string(kSignatureMessage) + ": signature scalar is not below the group order");
}

TEST(PackageHeader, HeaderLengthMustLeaveRoomForThePayload) {
    const core::Bytes file = sample_package();
    EXPECT_EQ(header_result(with_header_length(file, 8193)), "invalid header size");
    EXPECT_EQ(header_result(with_header_length(file, 0xffffffff)), "invalid header size");
    const std::size_t room = file.size() - 64 - 12;  // header + payload
    EXPECT_EQ(header_result(with_header_length(file, static_cast<std::uint32_t>(room - 15))), "invalid header size");
    // Exactly 16 payload bytes left: the length passes and the header text is read (and
    // here fails, since the real header is shorter than that).
    EXPECT_NE(header_result(with_header_length(file, static_cast<std::uint32_t>(room - 16))), "invalid header size");
    EXPECT_EQ(header_result(with_header_length(file, 0)), json_reader_error(""));
}

TEST(PackageHeader, HeaderIsReadStrictly) {
    EXPECT_EQ(header_result(package_with_header("")), json_reader_error(""));
    const std::string manifest = core::manifest_json(sample_manifest(), core::JsonStyle::compact);
    const std::string extra = "{\"format\":1,\"manifest\":" + manifest + ",\"signer\":\"x\"}";
    EXPECT_EQ(header_result(package_with_header(extra)), json_reader_error(extra));
    EXPECT_TRUE(json_reader_error(extra).starts_with("unknown JSON member \"signer\"")) << json_reader_error(extra);
    const std::string missing = "{\"format\":1}";
    EXPECT_EQ(header_result(package_with_header(missing)), json_reader_error(missing));
    const std::string pretty = "{\n  \"format\": 1,\n  \"manifest\": " + manifest + "\n}\n";
    EXPECT_EQ(header_result(package_with_header(pretty)), "ok");
}

TEST(PackageHeader, FormatThenManifestRules) {
    const std::string manifest = core::manifest_json(sample_manifest(), core::JsonStyle::compact);
    EXPECT_EQ(header_result(package_with_header("{\"format\":2,\"manifest\":" + manifest + "}")),
              "unsupported package version");
    EXPECT_EQ(header_result(package_with_header("{\"format\":0,\"manifest\":" + manifest + "}")),
              "unsupported package version");
    core::Manifest bad = sample_manifest();
    bad.fps = 25;
    EXPECT_EQ(header_result(package_with_header(core::package_header_json(bad))), "fps must be 30 or 60");
    // The format is looked at before the manifest.
    EXPECT_EQ(header_result(package_with_header(
                  "{\"format\":2,\"manifest\":" + core::manifest_json(bad, core::JsonStyle::compact) + "}")),
              "unsupported package version");
    bad = sample_manifest();
    bad.entry = "../index.html";
    EXPECT_EQ(header_result(package_with_header(core::package_header_json(bad))), "unsafe asset path");
}

}  // namespace
