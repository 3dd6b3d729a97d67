#include "core/content/asset_path.h"

#include <array>

namespace core {
namespace {

constexpr std::string_view kForbiddenCharacters = "\"#%*:<>?\\|";

bool is_reserved_device_name(std::string_view segment) {
    // Windows resolves a device name regardless of the extension and trailing spaces.
    std::string_view stem = segment.substr(0, segment.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
    if (stem.size() < 3) return false;

    std::string upper(stem);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL" ||
        upper == "CONIN$" || upper == "CONOUT$") {
        return true;
    }
    const std::string_view prefix = std::string_view(upper).substr(0, 3);
    if (prefix != "COM" && prefix != "LPT") return false;
    if (upper.size() == 4) return upper[3] >= '1' && upper[3] <= '9';
    if (upper.size() == 5) {
        // Superscript one, two and three are device digits too: U+00B9, U+00B2, U+00B3.
        static constexpr std::array<std::string_view, 3> kSuperscripts = {"\xC2\xB9", "\xC2\xB2",
                                                                         "\xC2\xB3"};
        const std::string_view tail = std::string_view(upper).substr(3);
        for (const std::string_view superscript : kSuperscripts) {
            if (tail == superscript) return true;
        }
    }
    return false;
}

}  // namespace

Status validate_asset_path(std::string_view path) {
    if (path.empty() || path.size() > kMaxAssetPathBytes) return fail("invalid asset path");
    for (const char c : path) {
        if (kForbiddenCharacters.find(c) != std::string_view::npos) {
            return fail("invalid asset path");
        }
        if (static_cast<unsigned char>(c) < 0x20) return fail("invalid asset path");
    }

    std::size_t start = 0;
    while (true) {
        const std::size_t slash = path.find('/', start);
        const std::string_view segment =
            path.substr(start, slash == std::string_view::npos ? std::string_view::npos
                                                                : slash - start);
        if (segment.empty()) return fail("unsafe asset path");
        if (segment.back() == '.' || segment.back() == ' ') return fail("unsafe asset path");
        if (is_reserved_device_name(segment)) return fail("reserved Windows asset path");
        if (slash == std::string_view::npos) break;
        start = slash + 1;
    }
    return {};
}

}  // namespace core
