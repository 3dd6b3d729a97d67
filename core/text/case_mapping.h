#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace core {

// The longest full case mapping of one code point (U+0390 upper-cases to three).
inline constexpr std::size_t kMaxCaseMappingLength = 3;

// The full case mapping of one code point: one to three code points.
struct CaseMapping {
    std::array<char32_t, kMaxCaseMappingLength> code_points{};
    std::size_t size = 0;

    std::u32string_view view() const { return {code_points.data(), size}; }
};

// Full Unicode case mappings (including the one-to-many ones such as U+00DF to "SS"),
// the same for every locale and without context rules: U+03A3 always lower-cases to
// U+03C3. Code points without a mapping, and values that are not code points, map to
// themselves.
CaseMapping full_lowercase(char32_t code_point);
CaseMapping full_uppercase(char32_t code_point);

// The text lower-cased and then upper-cased, both with the full mappings: two names with
// the same key name one file on a case-insensitive file system. Bytes that are not valid
// UTF-8 are kept as they are.
std::string case_collision_key(std::string_view text);

}  // namespace core
