#include "core/fs/entry_kind.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint32_t kSymlinkTag = 0xA000000C;     // IO_REPARSE_TAG_SYMLINK
constexpr std::uint32_t kJunctionTag = 0xA0000003;    // IO_REPARSE_TAG_MOUNT_POINT
constexpr std::uint32_t kCloudFilesTag = 0x9000001A;  // a placeholder, not a name surrogate

std::string message_for(std::uint32_t attributes, std::uint32_t tag) {
    const auto result = core::check_plain_directory_entry(attributes, tag);
    return result ? "ok" : result.error().message();
}

TEST(PlainDirectoryEntry, NameSurrogatesAreLinksOtherTagsAreReparsePoints) {
    const std::uint32_t linked_folder = core::kAttributeDirectory | core::kAttributeReparsePoint;
    EXPECT_EQ(message_for(linked_folder, kSymlinkTag), "source symlinks are not allowed");
    EXPECT_EQ(message_for(linked_folder, kJunctionTag), "source symlinks are not allowed");
    EXPECT_EQ(message_for(linked_folder, kCloudFilesTag), "source reparse points are not allowed");
    // What Wine reports for a Unix symbolic link: the attribute without a tag.
    EXPECT_EQ(message_for(linked_folder, 0), "source reparse points are not allowed");
    // A link to a file is still a link first.
    EXPECT_EQ(message_for(core::kAttributeReparsePoint, kSymlinkTag), "source symlinks are not allowed");
}

TEST(PlainDirectoryEntry, OnlyPlainFoldersPass) {
    EXPECT_EQ(message_for(core::kAttributeDirectory, 0), "ok");
    EXPECT_EQ(message_for(core::kAttributeDirectory | 0x1 | 0x2 | 0x4, 0), "ok");  // read-only, hidden, system
    EXPECT_EQ(message_for(0x20, 0), "source path is not a directory");              // archive file
    EXPECT_EQ(message_for(0x80, kSymlinkTag), "source path is not a directory");    // tag without attribute
}

}  // namespace
