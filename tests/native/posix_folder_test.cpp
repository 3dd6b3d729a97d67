// The folder rules through the POSIX reader on real temporary folders.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/folder/folder_walk.h"
#include "core/fs/entry_kind.h"
#include "tools/common/posix_directory_reader.h"

namespace {

namespace fs = std::filesystem;

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "tessary-walk-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& path() const { return path_; }

    fs::path write(const std::string& relative, const std::string& content) const {
        const fs::path file = path_ / relative;
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << content;
        return file;
    }

private:
    fs::path path_;
};

const std::string kManifest = R"({"id":"aurora","name":"Aurora","version":1,"entry":"index.html","fps":30})";

std::string walk_message(const TempFolder& folder, core::FolderWalk* out = nullptr) {
    tools::PosixDirectoryReader reader;
    core::FolderWalk walk;
    const core::Status status = core::walk_wallpaper_folder(reader, folder.path().string(), "", 0, walk);
    if (out != nullptr) *out = std::move(walk);
    return status ? "ok" : status.error().chain();
}

std::string load_message(const fs::path& root, core::WallpaperItem* out = nullptr) {
    auto item = tools::load_wallpaper_folder_posix(root.string());
    if (!item) return item.error().chain();
    if (out != nullptr) *out = std::move(*item);
    return "ok";
}

TEST(PosixFolder, WalksRealFoldersIntoAssetPaths) {
    TempFolder folder;
    folder.write("index.html", "<html>");
    folder.write("img/Sky.WEBP", "webp");
    folder.write("a/b/c/d.js", "js");
    folder.write("manifest.json", "{}");
    core::FolderWalk walk;
    ASSERT_EQ(walk_message(folder, &walk), "ok");
    ASSERT_EQ(walk.assets.size(), 3u);
    EXPECT_EQ(walk.assets.at("img/Sky.WEBP"), (core::Bytes{'w', 'e', 'b', 'p'}));
    EXPECT_TRUE(walk.assets.contains("a/b/c/d.js"));
    EXPECT_EQ(walk.directory_count, 5u);
    EXPECT_EQ(walk.byte_total, 12u);
}

TEST(PosixFolder, SymbolicLinksAreRefusedEvenWhenTheyPointInside) {
    TempFolder file_link;
    file_link.write("index.html", "x");
    fs::create_symlink("index.html", file_link.path() / "alias.html");
    EXPECT_EQ(walk_message(file_link), "source symlinks are not allowed");

    TempFolder folder_link;
    folder_link.write("img/a.png", "x");
    fs::create_directory_symlink("img", folder_link.path() / "pictures");
    EXPECT_EQ(walk_message(folder_link), "source symlinks are not allowed");
}

TEST(PosixFolder, NamesThatAreNotUtf8AreRefused) {
    TempFolder folder;
    folder.write("ok.js", "x");
    folder.write("bad\xFF.js", "x");
    EXPECT_EQ(walk_message(folder), "asset path is not UTF-8");
}

TEST(PosixFolder, SpecialFilesAreNotReadAndDoNotBlock) {
    TempFolder folder;
    ASSERT_EQ(mkfifo((folder.path() / "pipe.js").c_str(), 0600), 0);
    EXPECT_EQ(walk_message(folder), "not a regular file: " + (folder.path() / "pipe.js").string());
}

TEST(PosixFolder, ReaderReadsThroughTheLimit) {
    TempFolder folder;
    const fs::path file = folder.write("f.bin", std::string(100, 'x'));
    tools::PosixDirectoryReader reader;
    const auto exact = reader.read_file(file.string(), 100);
    ASSERT_TRUE(exact);
    EXPECT_EQ(exact->size(), 100u);
    EXPECT_EQ(reader.read_file(file.string(), 99).error().message(), "file too large");
    const auto missing = reader.read_file((folder.path() / "none").string(), 10);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().chain(), "cannot open " + (folder.path() / "none").string() + ": No such file or directory");
    EXPECT_EQ(missing.error().cause()->os_code(), ENOENT);
    EXPECT_EQ(reader.join("/a/", "b"), "/a/b");
    EXPECT_EQ(reader.join("/a", "b"), "/a/b");
}

TEST(PosixFolder, LoadsAWallpaperFolderAsThePlayerDoes) {
    TempFolder folder;
    folder.write("manifest.json", kManifest);
    folder.write("index.html", "<html>");
    folder.write("app.js", "x");
    core::WallpaperItem item;
    ASSERT_EQ(load_message(folder.path(), &item), "ok");
    EXPECT_EQ(item.manifest.id, "aurora");
    EXPECT_EQ(item.assets.size(), 2u);
    // Through a path with "." and ".." the folder is the same.
    EXPECT_EQ(load_message(folder.path() / "." / ".." / folder.path().filename()), "ok");
}

TEST(PosixFolder, RootAndManifestMustBePlain) {
    TempFolder folder;
    folder.write("w/manifest.json", kManifest);
    folder.write("w/index.html", "x");
    fs::create_directory_symlink("w", folder.path() / "link");
    EXPECT_EQ(load_message(folder.path() / "link"), "source symlinks are not allowed");
    EXPECT_EQ(load_message(folder.path() / "w" / "index.html"), "source must be a directory");
    EXPECT_EQ(load_message(folder.path() / "none"),
              "cannot read " + (folder.path() / "none").string() + ": No such file or directory");

    TempFolder no_manifest;
    no_manifest.write("index.html", "x");
    EXPECT_EQ(load_message(no_manifest.path()),
              "cannot read " + (fs::canonical(no_manifest.path()) / "manifest.json").string() +
                  ": No such file or directory");

    TempFolder manifest_folder;
    manifest_folder.write("manifest.json/x.json", "{}");
    EXPECT_EQ(load_message(manifest_folder.path()), "manifest must be a file");

    TempFolder manifest_link;
    manifest_link.write("real.json", kManifest);
    fs::create_symlink("real.json", manifest_link.path() / "manifest.json");
    EXPECT_EQ(load_message(manifest_link.path()), "source symlinks are not allowed");

    TempFolder big_manifest;
    big_manifest.write("manifest.json", kManifest + std::string(8193 - kManifest.size(), '\n'));
    big_manifest.write("index.html", "x");
    EXPECT_EQ(load_message(big_manifest.path()), "file too large");
}

TEST(PosixFolder, CaseDifferentNamesThatLinuxKeepsApartCollide) {
    TempFolder folder;
    folder.write("manifest.json", kManifest);
    folder.write("index.html", "x");
    folder.write("Index.html", "y");
    EXPECT_EQ(load_message(folder.path()), "Windows asset path collision: Index.html and index.html");
}

}  // namespace
