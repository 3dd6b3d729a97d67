#include "core/shell/autostart_value.h"

#include "core/text/utf.h"

namespace core {
namespace {

bool is_ascii_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// "X:\" or "\\server\share\" with a non-empty server and share. A bare "C:" or "\dir" is
// relative to some current folder, which at logon is not ours.
bool is_absolute(std::string_view path) {
    if (path.size() >= 3 && is_ascii_letter(path[0]) && path[1] == ':' && path[2] == '\\') return true;
    if (!path.starts_with("\\\\")) return false;
    const std::string_view rest = path.substr(2);
    const std::size_t server_end = rest.find('\\');
    if (server_end == 0 || server_end == std::string_view::npos) return false;
    const std::size_t share_end = rest.find('\\', server_end + 1);
    return share_end != std::string_view::npos && share_end > server_end + 1;
}

bool is_control(char32_t c) { return c <= 0x1F || (c >= 0x7F && c <= 0x9F); }

// The Run value's length in UTF-16 units, or nothing when the text is not UTF-8 or holds a
// character the command line cannot carry.
std::optional<std::size_t> checked_utf16_units(std::string_view path) {
    std::size_t units = 0;
    for (std::size_t pos = 0; pos < path.size();) {
        char32_t c = 0;
        const std::size_t used = decode_utf8(path, pos, c);
        if (used == 0 || is_control(c) || c == U'"') return std::nullopt;
        units += c >= 0x10000 ? 2 : 1;
        pos += used;
    }
    return units;
}

}  // namespace

Result<std::string> autostart_value(std::string_view executable_path) {
    const auto units = checked_utf16_units(executable_path);
    if (!units || !is_absolute(executable_path)) return fail(std::string(kInvalidAutostartPath));
    // A value longer than the read buffer could be written but never read back, leaving an
    // entry the player could neither see nor remove.
    if (*units + 2 + kAutostartArgument.size() > kMaxAutostartValueUnits) {
        return fail(std::string(kInvalidAutostartPath));
    }
    std::string value;
    value.reserve(executable_path.size() + 2 + kAutostartArgument.size());
    value += '"';
    value += executable_path;
    value += '"';
    value += kAutostartArgument;
    return value;
}

bool autostart_enabled(const std::optional<std::string>& current, std::string_view expected) {
    return current.has_value() && *current == expected;
}

Result<AutostartChange> plan_autostart_change(const std::optional<std::string>& current,
                                              std::string_view expected, bool wanted) {
    // Another copy's entry is never overwritten, nor removed by unchecking here.
    if (current && *current != expected) return fail(std::string(kAutostartConflict));
    if (!current && !wanted) return AutostartChange::none;
    return wanted ? AutostartChange::write : AutostartChange::remove;
}

}  // namespace core
