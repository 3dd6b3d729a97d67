#pragma once

#include <windows.h>

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
    core::Status list(std::string_view folder,
                      const std::function<core::Status(const core::DirectoryEntry&)>& visit) override;
    core::Result<core::Bytes> read_file(std::string_view path, std::uint64_t limit) override;
    std::string join(std::string_view folder, std::string_view name) const override;
};

}  // namespace player
