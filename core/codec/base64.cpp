#include "core/codec/base64.h"

#include <array>

namespace core {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Four tables, one per position in a group, each holding the character's six bits
// already shifted into place in a 24-bit group; kInvalid marks characters outside the
// alphabet, so one OR of four lookups decodes and validates a whole group.
constexpr std::uint32_t kInvalid = 0x01000000;

struct DecodeTables {
    std::array<std::array<std::uint32_t, 256>, 4> shifted{};
};

constexpr DecodeTables make_tables() {
    DecodeTables tables;
    for (auto& table : tables.shifted) table.fill(kInvalid);
    for (std::uint32_t value = 0; value < 64; ++value) {
        const auto c = static_cast<unsigned char>(kAlphabet[value]);
        for (int position = 0; position < 4; ++position) {
            tables.shifted[position][c] = value << (18 - 6 * position);
        }
    }
    return tables;
}

constexpr DecodeTables kTables = make_tables();

std::uint32_t decode_group(const unsigned char* in) {
    return kTables.shifted[0][in[0]] | kTables.shifted[1][in[1]] | kTables.shifted[2][in[2]] |
           kTables.shifted[3][in[3]];
}

}  // namespace

std::string base64_encode(std::span<const std::uint8_t> bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const std::uint32_t group = std::uint32_t{bytes[i]} << 16 | std::uint32_t{bytes[i + 1]} << 8 | bytes[i + 2];
        text.push_back(kAlphabet[group >> 18]);
        text.push_back(kAlphabet[(group >> 12) & 63]);
        text.push_back(kAlphabet[(group >> 6) & 63]);
        text.push_back(kAlphabet[group & 63]);
    }
    const std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        std::uint32_t group = std::uint32_t{bytes[i]} << 16;
        if (rest == 2) group |= std::uint32_t{bytes[i + 1]} << 8;
        text.push_back(kAlphabet[group >> 18]);
        text.push_back(kAlphabet[(group >> 12) & 63]);
        text.push_back(rest == 2 ? kAlphabet[(group >> 6) & 63] : '=');
        text.push_back('=');
    }
    return text;
}

Result<std::size_t> base64_decoded_size(std::string_view text) {
    if (text.size() % 4 != 0) return fail("invalid base64 length");
    std::size_t size = text.size() / 4 * 3;
    if (!text.empty() && text.back() == '=') {
        --size;
        if (text[text.size() - 2] == '=') --size;
    }
    return size;
}

Status base64_decode_into(std::string_view text, std::span<std::uint8_t> out) {
    const auto expected = base64_decoded_size(text);
    if (!expected) return fail(expected.error());
    if (*expected != out.size()) return fail("base64 output size mismatch");
    if (text.empty()) return {};

    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    std::uint8_t* to = out.data();
    // Every group but the last is full; only the last may carry padding.
    const std::size_t full_groups = text.size() / 4 - 1;
    std::uint32_t bad = 0;
    for (std::size_t g = 0; g < full_groups; ++g, in += 4, to += 3) {
        const std::uint32_t group = decode_group(in);
        bad |= group;
        to[0] = static_cast<std::uint8_t>(group >> 16);
        to[1] = static_cast<std::uint8_t>(group >> 8);
        to[2] = static_cast<std::uint8_t>(group);
    }
    if (bad & kInvalid) return fail("invalid base64 character");

    // The last group: "xxxx", "xxx=" or "xx==".
    const std::size_t padding = 3 - (out.size() - full_groups * 3);
    unsigned char last[4] = {in[0], in[1], in[2], in[3]};
    for (std::size_t k = 4 - padding; k < 4; ++k) last[k] = 'A';
    const std::uint32_t group = decode_group(last);
    if (group & kInvalid) return fail(padding > 0 && (in[0] == '=' || in[1] == '=' || (padding == 1 && in[2] == '='))
                                          ? "invalid base64 padding"
                                          : "invalid base64 character");
    if (padding == 1 && (group & 0xFF) != 0) return fail("non-zero base64 trailing bits");
    if (padding == 2 && (group & 0xFFFF) != 0) return fail("non-zero base64 trailing bits");
    to[0] = static_cast<std::uint8_t>(group >> 16);
    if (padding < 2) to[1] = static_cast<std::uint8_t>(group >> 8);
    if (padding < 1) to[2] = static_cast<std::uint8_t>(group);
    return {};
}

Result<Bytes> base64_decode(std::string_view text) {
    const auto size = base64_decoded_size(text);
    if (!size) return fail(size.error());
    Bytes bytes(*size);
    const auto decoded = base64_decode_into(text, bytes);
    if (!decoded) return fail(decoded.error());
    return bytes;
}

}  // namespace core
