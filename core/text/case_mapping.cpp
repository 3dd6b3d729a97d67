#include "core/text/case_mapping.h"

#include "core/text/utf.h"

namespace core {
namespace {

struct CaseEntry {
    std::int32_t lower_delta;
    std::int32_t upper_delta;
    std::uint16_t lower_sequence;  // offset in kCaseSequences; 0 when the delta applies
    std::uint16_t upper_sequence;
};

// Generated at build time from the Unicode Character Database.
#include "core/text/case_mapping_tables.inc"

constexpr char32_t kLastCodePoint = 0x10FFFF;

const CaseEntry& entry_for(char32_t code_point) {
    const std::uint16_t block = kCaseBlockIndex[code_point >> kCaseBlockBits];
    const std::uint32_t within = code_point & ((1u << kCaseBlockBits) - 1);
    return kCaseEntries[kCaseBlocks[(block << kCaseBlockBits) + within]];
}

CaseMapping mapped(char32_t code_point, std::int32_t delta, std::uint16_t sequence) {
    CaseMapping mapping;
    if (sequence == 0) {
        mapping.code_points[0] = static_cast<char32_t>(static_cast<std::int32_t>(code_point) + delta);
        mapping.size = 1;
        return mapping;
    }
    mapping.size = kCaseSequences[sequence];
    for (std::size_t i = 0; i < mapping.size; ++i) mapping.code_points[i] = kCaseSequences[sequence + 1 + i];
    return mapping;
}

}  // namespace

CaseMapping full_lowercase(char32_t code_point) {
    if (code_point > kLastCodePoint) return mapped(code_point, 0, 0);
    const CaseEntry& entry = entry_for(code_point);
    return mapped(code_point, entry.lower_delta, entry.lower_sequence);
}

CaseMapping full_uppercase(char32_t code_point) {
    if (code_point > kLastCodePoint) return mapped(code_point, 0, 0);
    const CaseEntry& entry = entry_for(code_point);
    return mapped(code_point, entry.upper_delta, entry.upper_sequence);
}

std::string case_collision_key(std::string_view text) {
    std::string key;
    key.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (byte < 0x80) {
            // ASCII lower-cases and upper-cases within ASCII.
            key.push_back(byte >= 'a' && byte <= 'z' ? static_cast<char>(byte - 'a' + 'A') : static_cast<char>(byte));
            ++pos;
            continue;
        }
        char32_t code_point = 0;
        const std::size_t used = decode_utf8(text, pos, code_point);
        if (used == 0) {
            key.push_back(static_cast<char>(byte));
            ++pos;
            continue;
        }
        pos += used;
        const CaseMapping lower = full_lowercase(code_point);
        for (const char32_t lowered : lower.view()) {
            const CaseMapping upper = full_uppercase(lowered);
            for (const char32_t uppered : upper.view()) append_utf8(key, uppered);
        }
    }
    return key;
}

}  // namespace core
