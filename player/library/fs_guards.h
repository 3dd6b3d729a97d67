#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "core/bytes.h"
#include "core/error/error.h"

namespace player {

// Checks that a folder and every folder above it are plain directories: no symbolic
// link, junction or other reparse point anywhere on the way. Only reports.
core::Status check_plain_directory_chain(std::string_view path);

// Folders whose whole chain one piece of work (a library rebuild, one wallpaper's walk)
// has found plain already, so that the work reads each ancestor's attributes once rather
// than once per folder below it. Lives only as long as that work.
class CheckedFolders {
public:
    bool contains(std::string_view folder) const;
    void insert(std::string_view folder);

private:
    std::set<std::string, std::less<>> folders_;
};

// The same check, but the walk up stops below a folder found in checked; the path itself
// is always read again. Every folder found plain is added to checked.
core::Status check_plain_directory_chain(std::string_view path, CheckedFolders& checked);

// Reads a whole file, refusing one above the limit, even one that grows while read.
core::Result<core::Bytes> read_file_limited(std::string_view path, std::uint64_t limit);

// Reads a whole file under the limit in the same way, through scratch (grown as needed
// and reused from call to call), and returns its size.
core::Result<std::uint64_t> read_file_limited_discarding(std::string_view path, std::uint64_t limit,
                                                         core::Bytes& scratch);

}  // namespace player
