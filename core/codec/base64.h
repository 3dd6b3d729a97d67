#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/bytes.h"
#include "core/error/error.h"

namespace core {

// Standard alphabet with "=" padding (RFC 4648, section 4).
std::string base64_encode(std::span<const std::uint8_t> bytes);

// The strict form: padding required, nothing but the alphabet (no line breaks or white
// space), and the unused bits of the last group zero, so every byte string has exactly
// one accepted encoding.
Result<Bytes> base64_decode(std::string_view text);

// Bytes that text decodes to if it is valid; lets a caller size the output before
// decoding. Fails only on a length that no encoding has.
Result<std::size_t> base64_decoded_size(std::string_view text);

// Decodes into out, which holds exactly base64_decoded_size(text) bytes.
Status base64_decode_into(std::string_view text, std::span<std::uint8_t> out);

}  // namespace core
