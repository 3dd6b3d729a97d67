#include "core/fs/entry_kind.h"

namespace core {

Status check_plain_directory_entry(std::uint32_t attributes, std::uint32_t reparse_tag) {
    if (attributes & kAttributeReparsePoint) {
        if (reparse_tag & kReparseTagNameSurrogate) {
            return fail("source symlinks are not allowed");
        }
        return fail("source reparse points are not allowed");
    }
    if (!(attributes & kAttributeDirectory)) return fail("source path is not a directory");
    return {};
}

}  // namespace core
