#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/bytes.h"
#include "core/error/error.h"

namespace core {

// One entry of a folder listing, described by its own attributes (links not followed).
struct DirectoryEntry {
    // The entry's name as UTF-8, or nothing when the file system's name is not valid
    // Unicode text.
    std::optional<std::string> name;
    std::uint32_t attributes = 0;   // kAttributeDirectory, kAttributeReparsePoint, ...
    std::uint32_t reparse_tag = 0;  // meaningful with kAttributeReparsePoint
};

// The file-system calls behind the folder rules: the player's Windows reader and the
// tools' POSIX reader both implement it, so a folder the tool accepts the player accepts.
class DirectoryReader {
public:
    virtual ~DirectoryReader() = default;

    // Calls visit for each entry of the folder in the order the system lists them
    // ("." and ".." left out); stops at and returns the first error, of the listing or of
    // visit.
    virtual Status list(std::string_view folder,
                        const std::function<Status(const DirectoryEntry&)>& visit) = 0;

    // Reads a whole file, refusing one above the limit with "file too large".
    virtual Result<Bytes> read_file(std::string_view path, std::uint64_t limit) = 0;

    // Reads a whole file under the limit as read_file does, but keeps none of it and
    // returns its size: for checks that must read every byte and need none. A reader may
    // read through one buffer that it reuses.
    virtual Result<std::uint64_t> read_file_discarding(std::string_view path, std::uint64_t limit) {
        Result<Bytes> bytes = read_file(path, limit);
        if (!bytes) return std::unexpected(bytes.error());
        return bytes->size();
    }

    // The path of an entry inside a folder, in the system's own form.
    virtual std::string join(std::string_view folder, std::string_view name) const = 0;
};

}  // namespace core
