#pragma once

#include <cstdint>

#include "core/error/error.h"

namespace core {

// File attribute and reparse-tag bits as the Windows file system reports them.
inline constexpr std::uint32_t kAttributeDirectory = 0x10;
inline constexpr std::uint32_t kAttributeReparsePoint = 0x400;
// Set in the tags of symbolic links and junctions: the entry stands for another name.
inline constexpr std::uint32_t kReparseTagNameSurrogate = 0x20000000;

// Refuses any link or other reparse point: a link (name-surrogate tag) with the symlink
// message, anything else with the reparse-point message.
Status check_not_reparse_point(std::uint32_t attributes, std::uint32_t reparse_tag);

// Decides from an entry's own attributes (links not followed) whether it is a plain
// directory. A link of any kind is refused before its target is looked at.
Status check_plain_directory_entry(std::uint32_t attributes, std::uint32_t reparse_tag);

}  // namespace core
