#include <gtest/gtest.h>

#include <string>

#include "core/codec/base64.h"
#include "core/codec/gzip.h"
#include "core/json/json_record.h"
#include "core/package/package_reader.h"
#include "core/package/package_writer.h"
#include "package_fixture.h"

namespace {

using namespace package_test;

// {"files":{...}} from raw member text.
std::string archive(std::string_view members) { return "{\"files\":{" + std::string(members) + "}}"; }

std::string member(std::string_view path, std::string_view content) {
    return "\"" + std::string(path) + "\":\"" + core::base64_encode(bytes_of(content)) + "\"";
}

const std::string kIndex = member("index.html", "<p>hi</p>");

// count members named a0000.js, a0001.js, ... plus index.html.
std::string many_members(std::size_t count) {
    std::string text = kIndex;
    char name[32];
    for (std::size_t i = 1; i < count; ++i) {
        std::snprintf(name, sizeof name, "a%04zu.js", i);
        text += "," + member(name, "x");
    }
    return text;
}

TEST(PackageArchive, RoundTripOfTheWriter) {
    const core::Bytes file = core::write_package(sample_manifest(), sample_assets(), test_seed()).value();
    const auto parsed = core::read_package_header(file, test_key()).value();
    const auto opened = core::open_package(parsed, file);
    ASSERT_TRUE(opened) << opened.error().chain();
    EXPECT_EQ(opened->manifest, sample_manifest());
    EXPECT_EQ(opened->assets, sample_assets());
}

TEST(PackageArchive, EscapedNamesAndContentAreUnescaped) {
    // "\u002e" is ".", "\u0041" is "A", "\/" is "/".
    const std::string text = archive(kIndex + ",\"js\\/a\\u002ejs\":\"\\u0041Q\\u003d\\u003d\"");
    const core::Bytes file = package_with_archive(text);
    const auto parsed = core::read_package_header(file, test_key()).value();
    const auto opened = core::open_package(parsed, file);
    ASSERT_TRUE(opened) << opened.error().chain();
    EXPECT_EQ(opened->assets.at("js/a.js"), core::Bytes{0x01});
}

TEST(PackageArchive, LargeAssetsInAnyOrderAndWithEscapesDecodeWhileTheTextIsReleased) {
    // Members in reverse path order, some large enough to be decoded two at a time, one
    // written with escapes (a copy outside the archive text): every byte must survive the
    // text being handed back behind the decoder.
    std::string members = kIndex;
    core::AssetMap expected{{"index.html", bytes_of("<p>hi</p>")}};
    for (int i = 5; i >= 0; --i) {
        core::Bytes content(3 * 1024 * 1024 + static_cast<std::size_t>(i));
        for (std::size_t b = 0; b < content.size(); ++b) content[b] = static_cast<std::uint8_t>(b * 31 + i);
        const std::string path = "media/clip" + std::to_string(i) + ".webm";
        members += ",\"" + path + "\":\"" + core::base64_encode(content) + "\"";
        expected[path] = std::move(content);
    }
    members += ",\"js\\/a\\u002ejs\":\"\\u0041Q\\u003d\\u003d\"";
    expected["js/a.js"] = core::Bytes{0x01};
    const core::Bytes file = package_with_archive(archive(members));
    const auto parsed = core::read_package_header(file, test_key()).value();
    const auto opened = core::open_package(parsed, file);
    ASSERT_TRUE(opened) << opened.error().chain();
    EXPECT_EQ(opened->assets, expected);
}

TEST(PackageArchive, AssetCountLimits) {
    EXPECT_EQ(open_result(package_with_archive(archive(many_members(2048)))), "ok");
    EXPECT_EQ(open_result(package_with_archive(archive(many_members(2049)))), "invalid asset count");
    // Found while reading: a reading error later in the text does not get its turn.
    EXPECT_EQ(open_result(package_with_archive(archive(many_members(2049) + ",\"z\":5"))), "invalid asset count");
    EXPECT_EQ(open_result(package_with_archive(archive(""))), "invalid asset count");
}

TEST(PackageArchive, RepeatedPathsAndCaseCollisions) {
    EXPECT_EQ(open_result(package_with_archive(archive(kIndex + "," + member("a.js", "1") + "," + member("a.js", "2")))),
              "duplicate asset path");
    // Equal after unescaping.
    EXPECT_EQ(open_result(package_with_archive(archive(kIndex + "," + member("a.js", "1") + "," +
                                                       member("a\\u002ejs", "2")))),
              "duplicate asset path");
    EXPECT_EQ(open_result(package_with_archive(archive(kIndex + "," + member("Index.html", "x")))),
              "Windows asset path collision: Index.html and index.html");
    EXPECT_EQ(open_result(package_with_archive(archive(kIndex + "," + member("img", "x") + "," +
                                                       member("img/a.png", "y")))),
              "duplicate asset or file/directory collision: img");
}

TEST(PackageArchive, ReadingErrorsComeFromTheJsonReader) {
    const auto reader_error = [](const std::string& text) {
        core::JsonRecord record;
        record.string_map("files", [](std::string_view, std::string_view) -> core::Status { return {}; });
        return core::read_json_record(text, record).error().chain();
    };
    for (const std::string& text : {archive(kIndex + ",\"a.js\":5"), std::string("{\"files\":{},\"more\":{}}"),
                                    archive(kIndex) + "x", std::string("{\"files\":[]}"), std::string("[]"),
                                    archive(kIndex + ",\"a.js\":\"\xC3\"")}) {
        EXPECT_EQ(open_result(package_with_archive(text)), reader_error(text)) << text;
    }
}

TEST(PackageArchive, PathsAreCheckedBeforeAnyContentIsDecoded) {
    EXPECT_EQ(open_result(package_with_archive(archive(kIndex + ",\"a.js\":\"!!!!\",\"b\\\\c.js\":\"\""))),
              "invalid asset path");
    EXPECT_EQ(open_result(package_with_archive(archive(kIndex + ",\"a.js\":\"!!!!\",\"con.js\":\"\""))),
              "reserved Windows asset path");
}

TEST(PackageArchive, Base64ErrorsPassThrough) {
    EXPECT_EQ(open_result(package_with_archive(archive(kIndex + ",\"a.js\":\"Zg\""))), "invalid base64 length");
    EXPECT_EQ(open_result(package_with_archive(archive(kIndex + ",\"a.js\":\"Zm9v\\nYmFy\""))),
              "invalid base64 length");
    EXPECT_EQ(open_result(package_with_archive(archive(kIndex + ",\"a.js\":\"Zm9v\\nYmF\""))),
              "invalid base64 character");
    EXPECT_EQ(open_result(package_with_archive(archive(kIndex + ",\"a.js\":\"Zh==\""))),
              "non-zero base64 trailing bits");
    // Decoded in path order: the first bad asset by path is the one reported.
    EXPECT_EQ(open_result(package_with_archive(archive(kIndex + ",\"b.js\":\"Zh==\",\"a.js\":\"Zg\""))),
              "invalid base64 length");
}

TEST(PackageArchive, EntryMustBeAnAssetExactly) {
    EXPECT_EQ(open_result(package_with_archive(archive(member("Index.html", "x")))), "entry missing");
    EXPECT_EQ(open_result(package_with_archive(archive(member("main.html", "x")))), "entry missing");
    EXPECT_EQ(open_result(package_with_archive(archive(member("index.html", "")))), "ok");  // empty assets are fine
}

TEST(PackageArchive, PayloadErrorsComeFromTheDecompressor) {
    const std::string header = core::package_header_json(sample_manifest());
    const auto signed_payload = [&](core::Bytes payload) {
        return open_result(core::assemble_package(header, payload, test_seed()).value());
    };
    core::Bytes not_gzip(40, 'x');
    EXPECT_EQ(signed_payload(not_gzip), "incorrect header check");
    auto stream = core::gzip_compress(bytes_of(archive(kIndex))).value();
    auto bad_crc = stream;
    bad_crc[bad_crc.size() - 5] ^= 1;
    EXPECT_EQ(signed_payload(bad_crc), "incorrect data check");
    auto truncated = stream;
    truncated.resize(truncated.size() - 3);
    EXPECT_EQ(signed_payload(truncated), "unexpected end of gzip stream");
    auto trailing = stream;
    trailing.push_back('\n');
    EXPECT_EQ(signed_payload(trailing), "unexpected data after gzip stream");
}

}  // namespace
