#pragma once

#include <cstdint>
#include <span>

#include "core/error/error.h"
#include "core/package/package_format.h"

namespace core {

// Checks size and magic, verifies the signature against the publisher key (strictly,
// over the whole file before anything else is looked at), then reads and validates the
// header. Cheap relative to opening: the payload is not touched beyond the signature's
// hash. The package hash is started last and is ready by the time it is asked for.
Result<ParsedPackage> read_package_header(std::span<const std::uint8_t> file,
                                          std::span<const std::uint8_t, 32> publisher_key);

// Inflates the payload through the size limit, reads the archive, checks every path and
// then decodes every asset under the per-asset and total limits. When it returns, the
// package hash is complete and the file's bytes are no longer read.
Result<OpenedPackage> open_package(const ParsedPackage& package, std::span<const std::uint8_t> file);

// The header steps that follow the signature check: header length, header JSON, format,
// manifest, package hash (computed when first asked for). Only for read_package_header
// and for fuzzing the parts behind the signature; a caller that skips the signature
// accepts anyone's package.
Result<ParsedPackage> read_package_header_after_signature(std::span<const std::uint8_t> file);

}  // namespace core
