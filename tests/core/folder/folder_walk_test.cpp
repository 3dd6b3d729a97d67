#include "core/folder/folder_walk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/fs/entry_kind.h"
#include "tests/core/folder/fake_directory_reader.h"

namespace {

using tests::FakeDirectoryReader;

constexpr std::uint32_t kSymlinkTag = 0xA000000C;
constexpr std::uint32_t kJunctionTag = 0xA0000003;
constexpr std::uint32_t kDeduplicationTag = 0x80000013;  // not a name surrogate
constexpr std::uint64_t kMiB = 1024 * 1024;

std::string walk_message(FakeDirectoryReader& reader, core::FolderWalk* out = nullptr, bool keep_bytes = true) {
    core::FolderWalk walk;
    walk.keep_bytes = keep_bytes;
    const core::Status status = core::walk_wallpaper_folder(reader, FakeDirectoryReader::kRoot, "", 0, walk);
    if (out != nullptr) *out = std::move(walk);
    return status ? "ok" : status.error().message();
}

std::vector<std::string> keys(const core::AssetMap& assets) {
    std::vector<std::string> names;
    for (const auto& [path, bytes] : assets) names.push_back(path);
    return names;
}

TEST(FolderWalk, CollectsAssetsByRelativePathKeepingLetterCase) {
    FakeDirectoryReader reader;
    reader.file("index.html", "<html>");
    reader.file("images/Logo.PNG", "png");
    reader.file("js/lib/app.mjs", "x");
    reader.folder("empty");
    core::FolderWalk walk;
    ASSERT_EQ(walk_message(reader, &walk), "ok");
    EXPECT_EQ(keys(walk.assets), (std::vector<std::string>{"images/Logo.PNG", "index.html", "js/lib/app.mjs"}));
    EXPECT_EQ(walk.assets.at("index.html"), (core::Bytes{'<', 'h', 't', 'm', 'l', '>'}));
    EXPECT_EQ(walk.byte_total, 10u);
    EXPECT_EQ(walk.directory_count, 5u);  // root, images, js, js/lib, empty
}

TEST(FolderWalk, OnlyTheRootManifestIsLeftOut) {
    FakeDirectoryReader reader;
    reader.file("manifest.json", "{}");
    reader.file("Manifest.json", "{}");
    reader.file("sub/manifest.json", "{}");
    core::FolderWalk walk;
    ASSERT_EQ(walk_message(reader, &walk), "ok");
    EXPECT_EQ(keys(walk.assets), (std::vector<std::string>{"Manifest.json", "sub/manifest.json"}));
}

TEST(FolderWalk, PrivateAndDevelopmentFoldersAreRefusedAnywhere) {
    for (const char* folder : {".git", "Node_Modules", "Secrets", "a/b/target", "a/.cache", "DIAGNOSTICS"}) {
        FakeDirectoryReader reader;
        reader.file("index.html", "x");
        reader.folder(folder);
        EXPECT_EQ(walk_message(reader), "private or development directory is not allowed") << folder;
    }
}

TEST(FolderWalk, PrivateFilesAndUnknownExtensionsAreRefused) {
    const std::pair<const char*, const char*> cases[] = {
        {".DS_Store", "private or development file is not a wallpaper asset: .DS_Store"},
        {"sub/.env.json", "private or development file is not a wallpaper asset: sub/.env.json"},
        {"AGENTS.md", "private or development file is not a wallpaper asset: AGENTS.md"},
        {"Package.JSON", "private or development file is not a wallpaper asset: Package.JSON"},
        {"package-lock.json", "private or development file is not a wallpaper asset: package-lock.json"},
        {"product-key.json", "private or development file is not a wallpaper asset: product-key.json"},
        {"publisher.pub", "private or development file is not a wallpaper asset: publisher.pub"},
        {"Cargo.lock", "private or development file is not a wallpaper asset: Cargo.lock"},
        {"loomkit", "private or development file is not a wallpaper asset: loomkit"},
        {"Thumbs.db", "private or tool file is not a wallpaper asset: Thumbs.db"},
        {"README", "private or tool file is not a wallpaper asset: README"},
        {"page.htm", "private or tool file is not a wallpaper asset: page.htm"},
        {"clip.ogv", "private or tool file is not a wallpaper asset: clip.ogv"},
        {"dir.d/notes", "private or tool file is not a wallpaper asset: dir.d/notes"},
    };
    for (const auto& [path, expected] : cases) {
        FakeDirectoryReader reader;
        reader.file(path, "x");
        EXPECT_EQ(walk_message(reader), expected) << path;
    }
}

TEST(FolderWalk, EveryAdmittedExtensionInAnyCase) {
    FakeDirectoryReader reader;
    const char* extensions[] = {"js",  "mjs", "css",  "html",  "json", "png", "jpg", "jpeg", "gif",
                                "svg", "ico", "webp", "avif",  "ttf",  "otf", "woff", "WOFF2", "mp3",
                                "ogg", "wav", "m4a",  "mp4",   "webm", "GLB", "gltf", "bin"};
    for (const char* extension : extensions) reader.file(std::string("f.") + extension, "x");
    core::FolderWalk walk;
    ASSERT_EQ(walk_message(reader, &walk), "ok");
    EXPECT_EQ(walk.assets.size(), 26u);
}

TEST(FolderWalk, LinksAndOtherReparsePointsAreRefused) {
    const std::pair<std::uint32_t, const char*> cases[] = {
        {kSymlinkTag, "source symlinks are not allowed"},
        {kJunctionTag, "source symlinks are not allowed"},
        {kDeduplicationTag, "source reparse points are not allowed"},
    };
    for (const auto& [tag, expected] : cases) {
        for (const std::uint32_t kind : {std::uint32_t{0}, core::kAttributeDirectory}) {
            FakeDirectoryReader reader;
            reader.entry("sub", core::DirectoryEntry{.name = "inside.png",
                                                     .attributes = kind | core::kAttributeReparsePoint,
                                                     .reparse_tag = tag});
            EXPECT_EQ(walk_message(reader), expected) << std::hex << tag;
        }
    }
}

TEST(FolderWalk, NamesMustBeTextAndSafeAssetPaths) {
    FakeDirectoryReader not_text;
    not_text.entry("", core::DirectoryEntry{.name = std::nullopt, .attributes = 0x20});
    EXPECT_EQ(walk_message(not_text), "asset path is not UTF-8");
    const std::pair<const char*, const char*> cases[] = {
        {"a?b.png", "invalid asset path"},
        {"back\\slash.png", "invalid asset path"},
        {"con.png", "reserved Windows asset path"},
        {" lead/x.js", "ok"},
        {"dir./x.png", "unsafe asset path"},
        {"sub/aux.js", "reserved Windows asset path"},
    };
    for (const auto& [path, expected] : cases) {
        FakeDirectoryReader reader;
        reader.file(path, "x");
        EXPECT_EQ(walk_message(reader), expected) << path;
    }
}

TEST(FolderWalk, LongestAssetPathIsCountedFromTheRoot) {
    FakeDirectoryReader reader;
    reader.file(std::string(120, 'd') + "/" + std::string(114, 'f') + ".png", "x");  // 239 bytes
    EXPECT_EQ(walk_message(reader), "ok");
    FakeDirectoryReader too_long;
    too_long.file(std::string(120, 'd') + "/" + std::string(116, 'f') + ".png", "x");  // 241 bytes
    EXPECT_EQ(walk_message(too_long), "invalid asset path");
}

TEST(FolderWalk, NestingOfThirtyTwoLevelsBelowTheRoot) {
    std::string folder;
    for (int level = 1; level <= 32; ++level) folder += (level == 1 ? "d" : "/d");
    FakeDirectoryReader reader;
    reader.file(folder + "/deep.js", "x");
    EXPECT_EQ(walk_message(reader), "ok");
    FakeDirectoryReader deeper;
    deeper.folder(folder + "/d");
    EXPECT_EQ(walk_message(deeper), "source directory nesting exceeds limit");
}

TEST(FolderWalk, AtMost2048FoldersRootIncluded) {
    FakeDirectoryReader reader;
    for (int i = 0; i < 2047; ++i) reader.folder("f" + std::to_string(i));
    core::FolderWalk walk;
    EXPECT_EQ(walk_message(reader, &walk), "ok");
    EXPECT_EQ(walk.directory_count, 2048u);
    reader.folder("one-more");
    EXPECT_EQ(walk_message(reader), "too many source directories");
}

TEST(FolderWalk, AtMost2048AssetsAndTheNextIsNotRead) {
    FakeDirectoryReader reader;
    for (int i = 0; i < 2048; ++i) reader.file("a" + std::to_string(i) + ".js", "x");
    EXPECT_EQ(walk_message(reader), "ok");
    reader.file("z/last.js", "x");
    const int reads_before = reader.reads();
    EXPECT_EQ(walk_message(reader), "too many source assets");
    EXPECT_EQ(reader.reads() - reads_before, 2048);
}

TEST(FolderWalk, EachFileAtMost24MiBAndAllTogetherAtMost64MiB) {
    FakeDirectoryReader single;
    single.sized_file("big.bin", 24 * kMiB);
    EXPECT_EQ(walk_message(single), "ok");
    single.sized_file("bigger.bin", 24 * kMiB + 1);
    EXPECT_EQ(walk_message(single), "file too large");

    FakeDirectoryReader total;
    total.sized_file("a.bin", 24 * kMiB);
    total.sized_file("b.bin", 24 * kMiB);
    total.sized_file("c.bin", 16 * kMiB);
    core::FolderWalk walk;
    EXPECT_EQ(walk_message(total, &walk), "ok");
    EXPECT_EQ(walk.byte_total, 64 * kMiB);
    total.sized_file("d.bin", 1);
    EXPECT_EQ(walk_message(total), "source assets exceed total size limit");
}

TEST(FolderWalk, WithoutBytesEveryFileIsReadCountedAndLimitedAllTheSame) {
    FakeDirectoryReader reader;
    reader.file("index.html", "<p>");
    reader.file("js/app.js", "let a;");
    reader.sized_file("img/sky.webp", 24 * kMiB);
    core::FolderWalk walk;
    EXPECT_EQ(walk_message(reader, &walk, false), "ok");
    EXPECT_EQ(keys(walk.assets), (std::vector<std::string>{"img/sky.webp", "index.html", "js/app.js"}));
    for (const auto& [path, bytes] : walk.assets) EXPECT_TRUE(bytes.empty()) << path;
    EXPECT_EQ(walk.byte_total, 24 * kMiB + 3 + 6);
    EXPECT_EQ(reader.discarding_reads(), 3);
    EXPECT_EQ(reader.reads(), 0);

    reader.sized_file("img/sea.webp", 24 * kMiB + 1);
    EXPECT_EQ(walk_message(reader, nullptr, false), "file too large");
    FakeDirectoryReader total;
    for (const char* name : {"a.bin", "b.bin"}) total.sized_file(name, 24 * kMiB);
    total.sized_file("c.bin", 16 * kMiB + 1);
    EXPECT_EQ(walk_message(total, nullptr, false), "source assets exceed total size limit");
}

TEST(FolderWalk, ReaderFailuresEndTheWalkUnchanged) {
    FakeDirectoryReader listing;
    listing.file("a/b.js", "x");
    listing.fail_listing("a");
    EXPECT_EQ(walk_message(listing), "cannot list /w/a");
}

}  // namespace
