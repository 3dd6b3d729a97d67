// The generated case mapping tables against ICU's full case mapping in the root locale,
// for every code point. Both come from the same version of the Unicode Character
// Database on this machine.

#include <gtest/gtest.h>

#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/uversion.h>

#include <string>

#include "core/text/case_mapping.h"

namespace {

using IcuCaseFunction = int32_t (*)(UChar*, int32_t, const UChar*, int32_t, const char*, UErrorCode*);

std::u32string icu_map(IcuCaseFunction map, char32_t code_point) {
    UChar source[2];
    int32_t length = 0;
    U16_APPEND_UNSAFE(source, length, code_point);
    UChar result[16];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t size = map(result, 16, source, length, "", &status);
    if (U_FAILURE(status)) return U"<ICU error>";
    std::u32string mapped;
    for (int32_t i = 0; i < size;) {
        UChar32 c = 0;
        U16_NEXT(result, i, size, c);
        mapped.push_back(static_cast<char32_t>(c));
    }
    return mapped;
}

IcuCaseFunction to_lower() {
    return [](UChar* d, int32_t c, const UChar* s, int32_t n, const char* l, UErrorCode* e) {
        return u_strToLower(d, c, s, n, l, e);
    };
}

IcuCaseFunction to_upper() {
    return [](UChar* d, int32_t c, const UChar* s, int32_t n, const char* l, UErrorCode* e) {
        return u_strToUpper(d, c, s, n, l, e);
    };
}

TEST(CaseMappingAgainstIcu, EveryCodePointMapsAsIcuMapsItInTheRootLocale) {
    // ICU really maps here: one-to-many mappings come back whole.
    ASSERT_EQ(icu_map(to_upper(), U'\u00DF'), U"SS");
    ASSERT_EQ(icu_map(to_lower(), U'\u0130'), U"i\u0307");
    int mismatches = 0;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;  // surrogates are not text
        const std::u32string lower(core::full_lowercase(c).view());
        const std::u32string upper(core::full_uppercase(c).view());
        const std::u32string icu_lower = icu_map(to_lower(), c);
        const std::u32string icu_upper = icu_map(to_upper(), c);
        if (lower != icu_lower || upper != icu_upper) {
            if (++mismatches <= 20) {
                ADD_FAILURE() << std::hex << "U+" << static_cast<std::uint32_t>(c) << " differs from ICU";
            }
        }
    }
    EXPECT_EQ(mismatches, 0) << "ICU " << U_ICU_VERSION << ", Unicode " << U_UNICODE_VERSION;
}

}  // namespace
