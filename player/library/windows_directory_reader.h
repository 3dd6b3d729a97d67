#pragma once

#include <windows.h>

#include <string>

#include "core/folder/directory_reader.h"
#include "player/library/file_entry.h"
#include "player/library/fs_guards.h"
#include "player/win32/unique_resource.h"

namespace player {

// A listed entry as the folder rules see it: a name that is not valid UTF-16 has none,
// and the reparse tag counts only for reparse points.
core::DirectoryEntry describe_entry(const RawEntry& raw);

// The folder rules' file-system calls on Windows: entries described by their own
// attributes (links never followed), every folder guarded before it is listed, every
// file read through the limited reader. One reader serves one piece of work (a library
// rebuild, an installation): it remembers which folders' chains it has checked, so each
// ancestor is read once. Test doubles derive from it to alter what it reports.
class WindowsDirectoryReader : public core::DirectoryReader {
public:
    // The plain-directory chain check, reading only what this reader has not checked yet:
    // the folder itself always, its ancestors up to the first one already checked.
    core::Status check_chain(std::string_view folder);

    // Opens a wallpaper's root folder and returns its final path; the folder's own
    // attributes, read on the open handle, must show a directory and no reparse point
    // ("source must be a directory", or the link messages). The folder stays open
    // for the listing of that path that follows (until another root is opened or the
    // reader ends), so the walk lists the very folder that was resolved, and the system
    // opens it once instead of twice.
    core::Result<std::string> open_root(std::string_view folder);

    // Right before a folder is listed, it is checked again: its chain as check_chain does
    // (a plain folder seen in a listing of this reader counts as checked; the open root's
    // chain was checked before it was opened), then its own attributes on the open handle.
    core::Status list(std::string_view folder,
                      const std::function<core::Status(const core::DirectoryEntry&)>& visit) override;
    core::Result<core::Bytes> read_file(std::string_view path, std::uint64_t limit) override;
    core::Result<std::uint64_t> read_file_discarding(std::string_view path, std::uint64_t limit) override;
    std::string join(std::string_view folder, std::string_view name) const override;

private:
    core::Result<win32::unique_file> open_for_listing(std::string_view folder);

    CheckedFolders checked_;
    std::string open_root_path_;
    win32::unique_file open_root_;
    core::Bytes scratch_;  // where files read for their check alone go, one after another
};

}  // namespace player
