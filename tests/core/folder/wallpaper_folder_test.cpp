#include "core/folder/wallpaper_folder.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/core/folder/fake_directory_reader.h"

namespace {

using tests::FakeDirectoryReader;

std::string manifest_text(std::string_view id, std::string_view entry = "index.html", std::string_view fps = "60") {
    return "{\"id\":\"" + std::string(id) + "\",\"name\":\"Aurora\",\"version\":1,\"entry\":\"" + std::string(entry) +
           "\",\"fps\":" + std::string(fps) + "}";
}

std::string load_message(FakeDirectoryReader& reader, core::WallpaperItem* out = nullptr) {
    auto item = core::load_wallpaper_folder_with(reader, FakeDirectoryReader::kRoot);
    if (!item) return item.error().chain();
    if (out != nullptr) *out = std::move(*item);
    return "ok";
}

TEST(WallpaperFolder, LoadsTheManifestAndEveryAssetButTheManifest) {
    FakeDirectoryReader reader;
    reader.file("manifest.json", manifest_text("aurora"));
    reader.file("index.html", "<html>");
    reader.file("img/sky.webp", "webp");
    core::WallpaperItem item;
    ASSERT_EQ(load_message(reader, &item), "ok");
    EXPECT_EQ(item.manifest, (core::Manifest{.id = "aurora", .name = "Aurora", .version = 1, .entry = "index.html",
                                             .fps = 60}));
    EXPECT_EQ(item.assets.size(), 2u);
    EXPECT_TRUE(item.assets.contains("img/sky.webp"));
    EXPECT_FALSE(item.assets.contains("manifest.json"));
}

TEST(WallpaperFolder, ManifestIsReadWithAn8192ByteLimit) {
    FakeDirectoryReader missing;
    missing.file("index.html", "x");
    EXPECT_EQ(load_message(missing), "The system cannot find the file specified.");

    std::string text = manifest_text("aurora");
    FakeDirectoryReader exact;
    exact.file("manifest.json", text + std::string(8192 - text.size(), ' '));
    exact.file("index.html", "x");
    EXPECT_EQ(load_message(exact), "ok");
    FakeDirectoryReader over;
    over.file("manifest.json", text + std::string(8193 - text.size(), ' '));
    over.file("index.html", "x");
    EXPECT_EQ(load_message(over), "file too large");
}

TEST(WallpaperFolder, ManifestReadingValidationAndLibraryIdErrorsPassThrough) {
    const std::pair<std::string, std::string> cases[] = {
        {"{}", "missing JSON member \"id\" at line 1, column 2"},
        {manifest_text("aurora", "index.html", "25"), "fps must be 30 or 60"},
        {manifest_text("a b"), "invalid product ID"},
        {manifest_text(".hidden"), "invalid wallpaper ID"},
        {manifest_text("aux"), "reserved Windows asset path"},
    };
    for (const auto& [manifest, expected] : cases) {
        FakeDirectoryReader reader;
        reader.file("manifest.json", manifest);
        reader.file("index.html", "x");
        // Checked before the folder is walked: the bad file below is never reached.
        reader.file("README", "x");
        EXPECT_EQ(load_message(reader), expected) << manifest;
    }
}

TEST(WallpaperFolder, WalkErrorsPassThrough) {
    FakeDirectoryReader reader;
    reader.file("manifest.json", manifest_text("aurora"));
    reader.file("index.html", "x");
    reader.folder("node_modules");
    EXPECT_EQ(load_message(reader), "private or development directory is not allowed");
}

TEST(WallpaperFolder, ManifestNameIsOccupiedForCaseCollisions) {
    FakeDirectoryReader reader;
    reader.file("manifest.json", manifest_text("aurora"));
    reader.file("index.html", "x");
    reader.file("Manifest.json", "{}");
    EXPECT_EQ(load_message(reader), "Windows asset path collision: Manifest.json and manifest.json");
}

TEST(WallpaperFolder, EntryPageMustBeAnAssetExactly) {
    FakeDirectoryReader missing;
    missing.file("manifest.json", manifest_text("aurora", "pages/main.html"));
    missing.file("index.html", "x");
    EXPECT_EQ(load_message(missing), "entry HTML is missing");
    FakeDirectoryReader other_case;
    other_case.file("manifest.json", manifest_text("aurora"));
    other_case.file("Index.html", "x");
    EXPECT_EQ(load_message(other_case), "entry HTML is missing");
    FakeDirectoryReader nested;
    nested.file("manifest.json", manifest_text("aurora", "pages/main.html"));
    nested.file("pages/main.html", "x");
    EXPECT_EQ(load_message(nested), "ok");
}

}  // namespace
