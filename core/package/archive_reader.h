#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/error/error.h"

namespace core {

// One member of the archive's "files" object: the asset path and its base64 text. The
// text is a view into the archive when it had no escape sequences (the usual case, no
// copy), else a copy of its own.
struct ArchiveMember {
    std::string path;
    std::string_view borrowed;
    std::string owned;
    bool is_owned = false;

    std::string_view base64() const { return is_owned ? std::string_view(owned) : borrowed; }
};

// Reads the archive JSON ({"files": {path: base64, ...}}) strictly, refusing a repeated
// path with "duplicate asset path" and the 2,049th path or an empty "files" with
// "invalid asset count". The members come back sorted by path, byte-wise; their views
// live as long as text. A NUL byte must follow text in memory.
Result<std::vector<ArchiveMember>> read_archive(std::string_view text);

}  // namespace core
