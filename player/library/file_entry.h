#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/error/error.h"
#include "player/win32/unique_resource.h"

namespace player {

// An entry's own attributes, read without following a link.
struct OwnAttributes {
    std::uint32_t attributes = 0;
    std::uint32_t reparse_tag = 0;  // only with FILE_ATTRIBUTE_REPARSE_POINT
    std::uint64_t size = 0;         // files only

    bool is_reparse_point() const { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
    bool is_directory() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};

core::Result<OwnAttributes> read_own_attributes(std::string_view path);

// Refuses a reparse point with the guards' messages: a link when the tag is a name
// surrogate, any other reparse point otherwise.
core::Status refuse_reparse_point(const OwnAttributes& entry);

// The final absolute path of the entry a path names, links followed, in the system's
// own form (\\?\C:\...).
core::Result<std::string> final_path(std::string_view path);
// The same for an entry already open.
core::Result<std::string> final_path_of(HANDLE entry);

// Opens a folder for listing. The entry itself is opened (Windows does not follow a link
// at the last step) and its own attributes are checked on the open handle with the
// plain-directory rule, so the folder listed through the handle is the one checked, even
// if the name is swapped meanwhile. The path's ancestors are the caller's to guard.
core::Result<win32::unique_file> open_plain_folder(std::string_view path);
// The check open_plain_folder makes, for a folder already open.
core::Status check_open_folder(HANDLE folder);
// open_plain_folder without the check, for callers with rules of their own.
core::Result<win32::unique_file> open_folder_entry(std::string_view path);
// The own attributes of an open entry (size left 0).
core::Result<OwnAttributes> own_attributes_of(HANDLE entry);

// One entry of a listing, valid during the visit only.
struct RawEntry {
    std::wstring_view name;
    std::uint32_t attributes = 0;
    std::uint32_t reparse_tag = 0;  // meaningful only with FILE_ATTRIBUTE_REPARSE_POINT
    std::uint64_t size = 0;
};

// Lists an open folder in the order the system gives, "." and ".." left out. Stops at
// the first error of visit.
core::Status for_each_raw_entry(HANDLE folder, const std::function<core::Status(const RawEntry&)>& visit);
// The same for a path, opened with open_plain_folder.
core::Status for_each_raw_entry(std::string_view folder, const std::function<core::Status(const RawEntry&)>& visit);

}  // namespace player
