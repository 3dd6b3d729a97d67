#include "player/library/package_open.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "core/crypto/ed25519.h"
#include "core/package/package_writer.h"
#include "player/library/file_entry.h"
#include "player/library/paths.h"
#include "player/win32/unique_resource.h"
#include "player/win32/wide.h"
#include "test_folder.h"

namespace {

using test::TestFolder;

core::Ed25519Seed seed() {
    core::Ed25519Seed bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(0x11 * (i + 1));
    return bytes;
}

core::PublisherKey key() { return core::PublisherKey{.bytes = core::ed25519_public_key(seed()).value()}; }

core::Bytes bytes_of(std::string_view text) { return core::Bytes(text.begin(), text.end()); }

// A signed package of a small wallpaper; salt makes packages differ.
std::string package_bytes(const std::string& id, const std::string& salt = "") {
    const core::Manifest manifest{.id = id, .name = "Package " + id, .version = 1, .entry = "index.html", .fps = 60};
    core::AssetMap assets;
    assets["index.html"] = bytes_of("<p>" + id + salt);
    const core::Bytes package = core::write_package(manifest, assets, seed()).value();
    return std::string(package.begin(), package.end());
}

std::vector<std::string> names_in(const std::string& folder) {
    std::vector<std::string> names;
    EXPECT_TRUE(player::for_each_raw_entry(folder, [&](const player::RawEntry& entry) -> core::Status {
        names.push_back(win32::to_utf8(entry.name).value());
        return {};
    }));
    std::sort(names.begin(), names.end());
    return names;
}

// A data folder with its packages folder, and a place for opened files.
class PackageStoreTest : public ::testing::Test {
protected:
    PackageStoreTest() { test::make_folder(data_ / "packages"); }

    std::string packages() const { return data_ / "packages"; }
    std::string write_package_file(const std::string& name, const std::string& bytes) {
        test::write_file(downloads_ / name, bytes);
        return downloads_ / name;
    }
    core::Result<player::OpenedPackageFile> open(const std::string& path) {
        return player::open_package_file(data_.path(), path, key());
    }

    TestFolder data_;
    TestFolder downloads_;
};

TEST_F(PackageStoreTest, TwoOpensOfOnePackageStoreOneCopyAndReuseIt) {
    const std::string path = write_package_file("sea.wallpkg", package_bytes("sea"));
    const auto first = open(path);
    ASSERT_TRUE(first) << first.error().chain();
    EXPECT_EQ(first->wallpaper->manifest.id, "sea");
    EXPECT_EQ(first->wallpaper->assets.size(), 1u);
    const std::vector<std::string> stored = names_in(packages());
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(first->reopen_path, player::join_path(packages(), stored[0]));
    EXPECT_EQ(test::read_file(first->reopen_path), test::read_file(path));

    // The user deletes the file: the stored copy opens on its own and is reused as is.
    test::remove_tree(path);
    const auto second = open(first->reopen_path);
    ASSERT_TRUE(second) << second.error().chain();
    EXPECT_EQ(second->reopen_path, first->reopen_path);
    EXPECT_EQ(names_in(packages()), stored);
}

TEST_F(PackageStoreTest, ATruncatedOrReplacedCopyIsNotTrustedAndStaysAsItIs) {
    const std::string path = write_package_file("sea.wallpkg", package_bytes("sea"));
    const std::string copy = open(path).value().reopen_path;
    const std::string full = test::read_file(copy);

    test::write_file(copy, full.substr(0, full.size() - 10));
    auto reopened = open(path);
    ASSERT_TRUE(reopened);
    EXPECT_EQ(reopened->reopen_path, player::final_path(path).value());
    EXPECT_EQ(test::read_file(copy).size(), full.size() - 10);

    // Same size, different bytes: the hash decides.
    std::string changed = full;
    changed[full.size() / 2] ^= 0x20;
    test::write_file(copy, changed);
    EXPECT_EQ(open(path).value().reopen_path, player::final_path(path).value());
    EXPECT_EQ(test::read_file(copy), changed);

    // A folder of that name is no copy either.
    test::remove_tree(copy);
    test::make_folder(copy);
    EXPECT_EQ(open(path).value().reopen_path, player::final_path(path).value());
}

TEST_F(PackageStoreTest, WithEightCopiesTheNinthPlaysFromItsOwnPath) {
    for (int i = 0; i < 8; ++i) {
        const std::string path = write_package_file("p" + std::to_string(i) + ".wallpkg",
                                                    package_bytes("p", std::to_string(i)));
        ASSERT_TRUE(open(path).value().reopen_path.starts_with(packages()));
    }
    const std::string ninth = write_package_file("ninth.wallpkg", package_bytes("ninth"));
    const auto opened = open(ninth);
    ASSERT_TRUE(opened) << opened.error().chain();
    EXPECT_EQ(opened->wallpaper->manifest.id, "ninth");
    EXPECT_EQ(opened->reopen_path, player::final_path(ninth).value());
    EXPECT_EQ(names_in(packages()).size(), 8u);
}

TEST_F(PackageStoreTest, OnlyFilesNamedExactlyLikeCopiesCount) {
    const std::string hex(64, 'a');
    const std::vector<std::string> odd = {
        "A" + hex.substr(1) + ".wallpkg", hex + ".WALLPKG", hex.substr(1) + ".wallpkg", hex + "0.wallpkg",
        hex + ".wallpkg.tmp", "g" + hex.substr(1) + ".wallpkg", "notes.txt", "sea.wallpkg",
    };
    for (const std::string& name : odd) test::write_file(player::join_path(packages(), name), "x");
    const std::string path = write_package_file("sea.wallpkg", package_bytes("sea"));
    EXPECT_TRUE(open(path).value().reopen_path.starts_with(packages()));
}

TEST_F(PackageStoreTest, TheStoreHoldsAtMostHalfAGibibyte) {
    const std::string package = package_bytes("sea");
    // A sparse file costs no disk: only its size counts.
    const std::string big = player::join_path(packages(), std::string(64, '0') + ".wallpkg");
    {
        const win32::unique_file file(::CreateFileW(win32::to_wide(big).value().c_str(), GENERIC_WRITE, 0, nullptr,
                                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        LARGE_INTEGER size{};
        size.QuadPart = static_cast<LONGLONG>(536'870'912 - package.size() + 1);
        ASSERT_TRUE(::SetFilePointerEx(file.get(), size, nullptr, FILE_BEGIN));
        ASSERT_TRUE(::SetEndOfFile(file.get()));
    }
    const std::string path = write_package_file("sea.wallpkg", package);
    EXPECT_EQ(open(path).value().reopen_path, player::final_path(path).value());

    // One byte less and it fits exactly.
    {
        const win32::unique_file file(::CreateFileW(win32::to_wide(big).value().c_str(), GENERIC_WRITE, 0, nullptr,
                                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER size{};
        size.QuadPart = static_cast<LONGLONG>(536'870'912 - package.size());
        ASSERT_TRUE(::SetFilePointerEx(file.get(), size, nullptr, FILE_BEGIN));
        ASSERT_TRUE(::SetEndOfFile(file.get()));
    }
    EXPECT_TRUE(open(path).value().reopen_path.starts_with(packages()));
}

TEST_F(PackageStoreTest, FilesTooLargeOrBadlySignedChangeNothing) {
    const std::string huge = downloads_ / "huge.wallpkg";
    {
        const win32::unique_file file(::CreateFileW(win32::to_wide(huge).value().c_str(), GENERIC_WRITE, 0, nullptr,
                                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER size{};
        size.QuadPart = 67'108'865;
        ASSERT_TRUE(::SetFilePointerEx(file.get(), size, nullptr, FILE_BEGIN));
        ASSERT_TRUE(::SetEndOfFile(file.get()));
    }
    EXPECT_EQ(open(huge).error().message(), "file too large");

    std::string tampered = package_bytes("sea");
    tampered[20] ^= 1;
    EXPECT_FALSE(open(write_package_file("bad.wallpkg", tampered)));
    EXPECT_FALSE(open(downloads_ / "missing.wallpkg"));
    EXPECT_TRUE(names_in(packages()).empty());
}

TEST_F(PackageStoreTest, CopiesAreNamedByTheHashGivenAndTheOpenedFileMustExist) {
    const std::string bytes = package_bytes("sea");
    const std::string path = write_package_file("sea.wallpkg", bytes);
    const core::Bytes package(bytes.begin(), bytes.end());
    const std::string hash(64, 'b');
    const std::string copy = player::join_path(packages(), hash + ".wallpkg");
    EXPECT_EQ(player::store_package_copy(packages(), hash, package, path).value(), copy);
    // Stored under the hash it was given; the wrong hash makes the copy untrusted now.
    EXPECT_EQ(player::store_package_copy(packages(), hash, package, path).value(), player::final_path(path).value());
    EXPECT_EQ(test::read_file(copy), bytes);
    EXPECT_EQ(player::store_package_copy(packages(), hash, package, downloads_ / "gone").error().os_code(),
              ERROR_FILE_NOT_FOUND);
}

// Bytes whose last page cannot be read make the write stop half-way, as a full disk would:
// the partial copy goes, and the package plays from where it was opened.
TEST_F(PackageStoreTest, ACopyThatCannotBeWrittenWholeIsRemoved) {
    const std::string path = write_package_file("sea.wallpkg", package_bytes("sea"));
    SYSTEM_INFO system{};
    ::GetSystemInfo(&system);
    const std::size_t page = system.dwPageSize;
    auto* pages = static_cast<std::uint8_t*>(::VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(pages, nullptr);
    std::fill(pages, pages + page, std::uint8_t{0x5A});
    DWORD old_protection = 0;
    ASSERT_TRUE(::VirtualProtect(pages + page, page, PAGE_NOACCESS, &old_protection));
    const std::span<const std::uint8_t> unreadable_tail(pages, page + 100);

    const std::string hash(64, 'c');
    EXPECT_EQ(player::store_package_copy(packages(), hash, unreadable_tail, path), player::final_path(path).value());
    EXPECT_TRUE(names_in(packages()).empty());
    // The hash is free again: a later open stores its copy.
    const core::Bytes package(pages, pages + page);
    EXPECT_EQ(player::store_package_copy(packages(), hash, package, path),
              player::join_path(packages(), hash + ".wallpkg"));
    ::VirtualFree(pages, 0, MEM_RELEASE);
}

}  // namespace
