#pragma once

#include <windows.h>

#include <set>
#include <string>

#include "core/folder/directory_reader.h"

namespace player {

// A listed entry as the folder rules see it: a name that is not valid UTF-16 has none,
// and the reparse tag counts only for reparse points.
core::DirectoryEntry describe_entry(const WIN32_FIND_DATAW& data);

// The folder rules' file-system calls on Windows: entries described by their own
// attributes (links never followed), every folder guarded before it is listed, every
// file read through the limited reader.
class WindowsDirectoryReader final : public core::DirectoryReader {
public:
    // Before a folder is listed, its whole chain is checked, unless this reader listed its
    // parent (whose chain it checked) and saw it there as a plain folder: then the
    // folder's own attributes are read again, which covers the one entry not covered.
    core::Status list(std::string_view folder,
                      const std::function<core::Status(const core::DirectoryEntry&)>& visit) override;
    core::Result<core::Bytes> read_file(std::string_view path, std::uint64_t limit) override;
    std::string join(std::string_view folder, std::string_view name) const override;

private:
    core::Status check_before_listing(std::string_view folder) const;

    std::set<std::string, std::less<>> plain_folders_;
};

}  // namespace player
