#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/error/error.h"

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

// The final absolute path of the entry behind an open handle, links followed, in the
// system's own form (\\?\C:\...).
core::Result<std::string> final_path(std::string_view path);

// Lists a folder in the order the system gives, "." and ".." left out, without any
// guard: callers check the folder first. Stops at the first error of visit.
core::Status for_each_raw_entry(std::string_view folder,
                                const std::function<core::Status(const WIN32_FIND_DATAW&)>& visit);

}  // namespace player
