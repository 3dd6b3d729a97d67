#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/content/asset_path.h"

namespace {

std::string check(std::vector<std::string_view> paths, std::vector<std::string_view> occupied = {}) {
    const core::Status status = core::check_asset_paths(paths, occupied);
    return status ? "ok" : status.error().message();
}

TEST(AssetPathCollisions, FilesThatDifferOnlyInCaseCollide) {
    EXPECT_EQ(check({"Data.json", "data.json"}), "Windows asset path collision: Data.json and data.json");
    EXPECT_EQ(check({"Index.html", "index.html"}), "Windows asset path collision: Index.html and index.html");
}

TEST(AssetPathCollisions, FoldersCollideByTheirFirstDifferingPrefix) {
    EXPECT_EQ(check({"A/y.png", "a/x.png"}), "Windows asset path collision: A and a");
    EXPECT_EQ(check({"Img/a.png", "img/b.png"}), "Windows asset path collision: Img and img");
    EXPECT_EQ(check({"x/Sub/a.png", "x/sub/b.png"}), "Windows asset path collision: x/Sub and x/sub");
    // A file and a folder that differ only in case collide as well.
    EXPECT_EQ(check({"IMG", "img/a.png"}), "Windows asset path collision: IMG and img");
}

TEST(AssetPathCollisions, SameFileTwiceOrFileUsedAsFolderIsADuplicate) {
    EXPECT_EQ(check({"img", "img/a.png"}), "duplicate asset or file/directory collision: img");
    EXPECT_EQ(check({"a.png", "a.png"}), "duplicate asset or file/directory collision: a.png");
    EXPECT_EQ(check({"a/b", "a/b/c"}), "duplicate asset or file/directory collision: a/b");
    // Out of order the folder comes first and the file is the duplicate.
    EXPECT_EQ(check({"img/a.png", "img"}), "duplicate asset or file/directory collision: img");
}

TEST(AssetPathCollisions, FilesShareFolders) {
    EXPECT_EQ(check({"a/b.png", "a/c.png", "a/d/e.png", "a/d/f.png", "b"}), "ok");
    EXPECT_EQ(check({}), "ok");
}

TEST(AssetPathCollisions, CaseMappingIsUnicodeWide) {
    EXPECT_EQ(check({"STRASSE.png", "Stra\xC3\x9F" "e.png"}),
              "Windows asset path collision: STRASSE.png and Stra\xC3\x9F" "e.png");
    EXPECT_EQ(check({"\xCE\xA3.txt", "\xCF\x83.txt"}), "Windows asset path collision: \xCE\xA3.txt and \xCF\x83.txt");
    // Final sigma, Kelvin sign and the ligature "fi".
    EXPECT_EQ(check({"\xCF\x82", "\xCF\x83"}), "Windows asset path collision: \xCF\x82 and \xCF\x83");
    EXPECT_EQ(check({"K", "\xE2\x84\xAA"}), "Windows asset path collision: K and \xE2\x84\xAA");
    EXPECT_EQ(check({"FI.js", "\xEF\xAC\x81.js"}), "Windows asset path collision: FI.js and \xEF\xAC\x81.js");
    // Different letters stay apart.
    EXPECT_EQ(check({"a\xC3\xA9.png", "ae.png", "\xC3\xA6.png"}), "ok");
}

TEST(AssetPathCollisions, OccupiedPathsCollideLikeFiles) {
    EXPECT_EQ(check({"index.html"}, {"manifest.json"}), "ok");
    EXPECT_EQ(check({"Manifest.json", "index.html"}, {"manifest.json"}),
              "Windows asset path collision: Manifest.json and manifest.json");
    EXPECT_EQ(check({"manifest.json"}, {"manifest.json"}),
              "duplicate asset or file/directory collision: manifest.json");
    EXPECT_EQ(check({"manifest.json/x.png"}, {"manifest.json"}),
              "duplicate asset or file/directory collision: manifest.json");
    // A path in a sub-folder does not occupy the top-level name.
    EXPECT_EQ(check({"sub/manifest.json"}, {"manifest.json"}), "ok");
}

TEST(AssetPathCollisions, EveryPathMustPassThePathRuleFirst) {
    EXPECT_EQ(check({"a.png", "b/../c"}), "unsafe asset path");
    EXPECT_EQ(check({"a.png", ""}), "invalid asset path");
    EXPECT_EQ(check({"con.png", "Con.png"}), "reserved Windows asset path");
    EXPECT_EQ(check({"a.png"}, {"bad?"}), "invalid asset path");
}

TEST(AssetPathCollisions, RegistryAcceptsPathsOneByOne) {
    core::AssetPathRegistry registry;
    EXPECT_TRUE(registry.add("a/b.png"));
    EXPECT_TRUE(registry.add("a/c.png"));
    const core::Status status = registry.add("A/d.png");
    ASSERT_FALSE(status);
    EXPECT_EQ(status.error().message(), "Windows asset path collision: a and A");
}

}  // namespace
