#include "core/settings/settings_text.h"

#include <rapidjson/document.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include <set>

#include "core/text/utf.h"

namespace core {
namespace {

using Writer = rapidjson::PrettyWriter<rapidjson::StringBuffer>;

void write_optional_string(Writer& writer, const std::optional<std::string>& value) {
    if (value) {
        writer.String(value->data(), static_cast<rapidjson::SizeType>(value->size()));
    } else {
        writer.Null();
    }
}

bool all_text_is_utf8(const Config& config) {
    if (config.package && !is_valid_utf8(*config.package)) return false;
    if (config.selected_id && !is_valid_utf8(*config.selected_id)) return false;
    for (const std::string& id : config.removed) {
        if (!is_valid_utf8(id)) return false;
    }
    return true;
}

// A string member: JSON string or null. RapidJSON lets an escaped lone low surrogate
// through, so the decoded text is checked again.
bool read_optional_string(const rapidjson::Value& value, std::optional<std::string>& out) {
    if (value.IsNull()) {
        out.reset();
        return true;
    }
    if (!value.IsString()) return false;
    std::string text(value.GetString(), value.GetStringLength());
    if (!is_valid_utf8(text)) return false;
    out = std::move(text);
    return true;
}

bool read_removed(const rapidjson::Value& value, std::vector<std::string>& out) {
    if (!value.IsArray()) return false;
    out.clear();
    for (const rapidjson::Value& element : value.GetArray()) {
        if (!element.IsString()) return false;
        std::string id(element.GetString(), element.GetStringLength());
        if (!is_valid_utf8(id)) return false;
        out.push_back(std::move(id));
    }
    return true;
}

bool read_fps(const rapidjson::Value& value, std::optional<std::uint32_t>& out) {
    if (value.IsNull()) {
        out.reset();
        return true;
    }
    // IsUint is false for fractions, exponents that make a double, negatives and values
    // above 4294967295.
    if (!value.IsUint() || value.IsDouble()) return false;
    out = value.GetUint();
    return true;
}

}  // namespace

std::optional<std::string> format_settings(const Config& config) {
    if (!all_text_is_utf8(config)) return std::nullopt;
    rapidjson::StringBuffer buffer;
    Writer writer(buffer);
    writer.SetIndent(' ', 2);
    writer.StartObject();
    writer.Key("package");
    write_optional_string(writer, config.package);
    writer.Key("fps");
    if (config.fps) {
        writer.Uint(*config.fps);
    } else {
        writer.Null();
    }
    writer.Key("selected_id");
    write_optional_string(writer, config.selected_id);
    if (!config.removed.empty()) {
        writer.Key("removed");
        writer.StartArray();
        for (const std::string& id : config.removed) {
            writer.String(id.data(), static_cast<rapidjson::SizeType>(id.size()));
        }
        writer.EndArray();
    }
    writer.EndObject();
    return std::string(buffer.GetString(), buffer.GetSize());
}

std::optional<Config> parse_settings(std::string_view text) {
    // RapidJSON takes a NUL byte for the end of the text, which would let anything after
    // it through; JSON allows none outside strings nor raw inside them.
    if (text.find('\0') != std::string_view::npos) return std::nullopt;
    // Its reader also skips a byte-order mark, which is not JSON white space.
    if (text.starts_with("\xEF\xBB\xBF")) return std::nullopt;
    rapidjson::Document document;
    // The whole text must be the one object with nothing but white space around it.
    // Iterative: members this program ignores may nest arbitrarily deep, and a recursive
    // parse of a damaged file would overflow the stack instead of loading the defaults.
    document.Parse<rapidjson::kParseValidateEncodingFlag | rapidjson::kParseIterativeFlag>(text.data(), text.size());
    if (document.HasParseError() || !document.IsObject()) return std::nullopt;

    Config config;
    std::set<std::string, std::less<>> seen;
    for (const auto& member : document.GetObject()) {
        const std::string_view name(member.name.GetString(), member.name.GetStringLength());
        if (!seen.emplace(name).second) return std::nullopt;
        bool ok = true;
        if (name == "package") {
            ok = read_optional_string(member.value, config.package);
        } else if (name == "selected_id") {
            ok = read_optional_string(member.value, config.selected_id);
        } else if (name == "removed") {
            ok = read_removed(member.value, config.removed);
        } else if (name == "fps") {
            ok = read_fps(member.value, config.fps);
        }
        if (!ok) return std::nullopt;
    }
    return config;
}

}  // namespace core
