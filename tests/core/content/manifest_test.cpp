#include "core/content/manifest.h"

#include <gtest/gtest.h>

#include <string>

#include "core/content/wallpaper_id.h"

namespace {

core::Manifest valid_manifest() {
    return core::Manifest{.id = "aurora", .name = "Aurora", .version = 1, .entry = "index.html", .fps = 60};
}

std::string validation_message(const core::Manifest& manifest) {
    const core::Status status = core::validate_manifest(manifest);
    return status ? "ok" : status.error().message();
}

std::string parse_message(std::string_view json) {
    const auto manifest = core::parse_manifest(json);
    return manifest ? "ok" : manifest.error().message();
}

TEST(Manifest, ParsesTheFiveMembers) {
    const auto manifest = core::parse_manifest(
        "{\n  \"id\": \"aurora\",\n  \"name\": \"\xE6\x9E\x81\xE5\x85\x89\",\n  \"version\": 1,\n"
        "  \"entry\": \"pages/main.html\",\n  \"fps\": 30\n}\n");
    ASSERT_TRUE(manifest) << manifest.error().message();
    EXPECT_EQ(*manifest, (core::Manifest{.id = "aurora", .name = "\xE6\x9E\x81\xE5\x85\x89", .version = 1,
                                         .entry = "pages/main.html", .fps = 30}));
}

TEST(Manifest, ReadingRefusesExtraRepeatedMissingAndMistypedMembers) {
    const std::string members = R"("id":"a","name":"A","version":1,"entry":"index.html","fps":60)";
    EXPECT_EQ(parse_message("{" + members + "}"), "ok");
    EXPECT_EQ(parse_message("{" + members + R"(,"author":"x"})"),
              "unknown JSON member \"author\" at line 1, column 64; "
              "expected \"id\", \"name\", \"version\", \"entry\", \"fps\"");
    EXPECT_EQ(parse_message("{" + members + R"(,"id":"b"})"), "repeated JSON member \"id\" at line 1, column 64");
    EXPECT_EQ(parse_message(R"({"id":"a","name":"A","version":1,"entry":"index.html"})"),
              "missing JSON member \"fps\" at line 1, column 54");
    EXPECT_EQ(parse_message(R"({"id":"a","name":"A","version":1.0,"entry":"index.html","fps":60})"),
              "JSON member \"version\" at line 1, column 32: expected an integer from 0 to 4294967295");
    EXPECT_EQ(parse_message(R"({"id":7,"name":"A","version":1,"entry":"index.html","fps":60})"),
              "JSON member \"id\" at line 1, column 7: expected a string");
    EXPECT_EQ(parse_message("{" + members + "} x"),
              "JSON text at line 1, column 65: expected nothing but white space after the object");
}

TEST(Manifest, ReadingAppliesNoValidation) {
    const auto manifest =
        core::parse_manifest(R"({"id":"","name":"","version":0,"entry":"","fps":4294967295})");
    ASSERT_TRUE(manifest);
    EXPECT_EQ(manifest->fps, 4294967295u);
}

TEST(Manifest, IdIsOneToHundredBytesOfAsciiLettersDigitsAndThreeMarks) {
    core::Manifest manifest = valid_manifest();
    manifest.id = std::string(100, 'a');
    EXPECT_EQ(validation_message(manifest), "ok");
    manifest.id = "Aurora-2.final_v1";
    EXPECT_EQ(validation_message(manifest), "ok");
    for (const std::string& id : {std::string(101, 'a'), std::string(), std::string("a b"), std::string("a/b"),
                                 std::string("a+b"), std::string("caf\xC3\xA9")}) {
        manifest.id = id;
        EXPECT_EQ(validation_message(manifest), "invalid product ID") << id;
    }
}

TEST(Manifest, SingleDotAndDeviceNameIdsPassTheManifestButNotTheLibraryRule) {
    core::Manifest manifest = valid_manifest();
    manifest.id = ".";
    EXPECT_EQ(validation_message(manifest), "ok");
    EXPECT_EQ(core::validate_library_id(".").error().message(), "invalid wallpaper ID");
    manifest.id = "CON";
    EXPECT_EQ(validation_message(manifest), "ok");
    EXPECT_EQ(core::validate_library_id("CON").error().message(), "reserved Windows asset path");
    manifest.id = "COM0";
    EXPECT_EQ(validation_message(manifest), "ok");
    EXPECT_TRUE(core::validate_library_id("COM0"));
}

TEST(Manifest, NameIsOneToTwoHundredBytes) {
    core::Manifest manifest = valid_manifest();
    manifest.name = std::string(200, 'n');
    EXPECT_EQ(validation_message(manifest), "ok");
    manifest.name.clear();
    for (int i = 0; i < 67; ++i) manifest.name += "\xE5\xA3\x81";  // 201 bytes
    EXPECT_EQ(validation_message(manifest), "invalid name");
    manifest.name = "";
    EXPECT_EQ(validation_message(manifest), "invalid name");
}

TEST(Manifest, VersionMustBeOneAndFpsThirtyOrSixty) {
    core::Manifest manifest = valid_manifest();
    manifest.version = 2;
    EXPECT_EQ(validation_message(manifest), "unsupported manifest version");
    manifest.version = 0;
    EXPECT_EQ(validation_message(manifest), "unsupported manifest version");
    manifest = valid_manifest();
    manifest.fps = 30;
    EXPECT_EQ(validation_message(manifest), "ok");
    for (const std::uint32_t fps : {0u, 24u, 120u}) {
        manifest.fps = fps;
        EXPECT_EQ(validation_message(manifest), "fps must be 30 or 60") << fps;
    }
}

TEST(Manifest, EntryIsAnAssetPathEndingInLowerCaseHtml) {
    core::Manifest manifest = valid_manifest();
    const std::pair<const char*, const char*> cases[] = {
        {"pages/main.html", "ok"},
        {".html", "ok"},
        {"index.HTML", "entry must be HTML"},
        {"index.htm", "entry must be HTML"},
        {"html", "entry must be HTML"},
        {"../index.html", "unsafe asset path"},
        {"con.html", "reserved Windows asset path"},
        {"", "invalid asset path"},
        {"a?.html", "invalid asset path"},
    };
    for (const auto& [entry, expected] : cases) {
        manifest.entry = entry;
        EXPECT_EQ(validation_message(manifest), expected) << entry;
    }
}

TEST(Manifest, ChecksRunInTheirFixedOrder) {
    core::Manifest manifest{.id = "a b", .name = "", .version = 2, .entry = "x.htm", .fps = 25};
    EXPECT_EQ(validation_message(manifest), "invalid product ID");
    manifest.id = "ok";
    EXPECT_EQ(validation_message(manifest), "invalid name");
    manifest.name = "N";
    EXPECT_EQ(validation_message(manifest), "unsupported manifest version");
    manifest.version = 1;
    EXPECT_EQ(validation_message(manifest), "fps must be 30 or 60");
    manifest.fps = 60;
    EXPECT_EQ(validation_message(manifest), "entry must be HTML");
}

TEST(Manifest, WrittenInRecordOrderAndReadBack) {
    const core::Manifest manifest{.id = "a", .name = "Say \"hi\"", .version = 1, .entry = "index.html", .fps = 30};
    const std::string pretty = core::manifest_json(manifest, core::JsonStyle::pretty);
    EXPECT_EQ(pretty,
              "{\n  \"id\": \"a\",\n  \"name\": \"Say \\\"hi\\\"\",\n  \"version\": 1,\n"
              "  \"entry\": \"index.html\",\n  \"fps\": 30\n}");
    EXPECT_EQ(core::manifest_json(manifest, core::JsonStyle::compact),
              R"({"id":"a","name":"Say \"hi\"","version":1,"entry":"index.html","fps":30})");
    const auto read = core::parse_manifest(pretty);
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, manifest);
}

TEST(Manifest, TheRecordNestsInsideAnotherRecord) {
    core::Manifest manifest;
    std::uint32_t format = 0;
    const core::JsonRecord inner = core::manifest_record(manifest);
    core::JsonRecord header;
    header.uint32("format", format).record("manifest", inner);
    EXPECT_TRUE(core::read_json_record(
        R"({"format":1,"manifest":{"id":"a","name":"A","version":1,"entry":"index.html","fps":60}})", header));
    EXPECT_EQ(format, 1u);
    EXPECT_EQ(manifest.entry, "index.html");
    const core::Status missing = core::read_json_record(
        R"({"format":1,"manifest":{"id":"a","name":"A","version":1,"entry":"index.html"}})", header);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().message(), "missing JSON member \"manifest.fps\" at line 1, column 77");
}

}  // namespace
