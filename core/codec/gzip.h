#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/bytes.h"
#include "core/error/error.h"
#include "core/text/text_buffer.h"

namespace core {

// Input is handed to zlib in slices of this size.
inline constexpr std::size_t kGzipInputChunk = 32 * 1024;

// Inflates one gzip member (RFC 1952) and checks its CRC-32 and length trailer.
// At most read_limit bytes are produced: a stream holding more stops there, so the
// result holds exactly read_limit bytes and the caller sees that the stream is larger
// without anything more being inflated. A damaged or truncated stream fails with
// zlib's own message; bytes after the member are refused.
// The result's capacity leaves room for one more byte (a terminator for in-situ parsing).
Result<Bytes> gzip_decompress(std::span<const std::uint8_t> stream, std::size_t read_limit);
// The same into text, for content that is parsed next and then released piece by piece.
Result<TextBuffer> gzip_decompress_text(std::span<const std::uint8_t> stream, std::size_t read_limit);

// One gzip member holding data.
Result<Bytes> gzip_compress(std::span<const std::uint8_t> data, int level = 6);

}  // namespace core
