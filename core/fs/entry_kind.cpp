#include "core/fs/entry_kind.h"

namespace core {

Status check_not_reparse_point(std::uint32_t attributes, std::uint32_t reparse_tag) {
    if (!(attributes & kAttributeReparsePoint)) return {};
    if (reparse_tag & kReparseTagNameSurrogate) return fail("source symlinks are not allowed");
    return fail("source reparse points are not allowed");
}

Status check_plain_directory_entry(std::uint32_t attributes, std::uint32_t reparse_tag) {
    if (auto plain = check_not_reparse_point(attributes, reparse_tag); !plain) return plain;
    if (!(attributes & kAttributeDirectory)) return fail("source path is not a directory");
    return {};
}

}  // namespace core
