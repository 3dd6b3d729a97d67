#include "core/json/json_message.h"

#include <algorithm>

#include "core/json/json_writer.h"

namespace core {
namespace {

// Enough to recognise a name in a log line without letting one fill it.
constexpr std::size_t kMaxNameBytesInMessage = 100;

}  // namespace

std::string json_position(std::string_view text, std::size_t offset) {
    offset = std::min(offset, text.size());
    const std::string_view before = text.substr(0, offset);
    const std::size_t line = 1 + static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
    const std::size_t last_newline = before.rfind('\n');
    const std::size_t column = last_newline == std::string_view::npos ? offset + 1 : offset - last_newline;
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

std::string quote_json_name(std::string_view name) {
    if (name.size() <= kMaxNameBytesInMessage) return json_quote(name);
    std::size_t cut = kMaxNameBytesInMessage;
    // Never cut a UTF-8 sequence in two: back up over continuation bytes.
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    return json_quote(name.substr(0, cut)) + "...";
}

std::string_view json_syntax_error_text(rapidjson::ParseErrorCode code) {
    switch (code) {
        case rapidjson::kParseErrorNone: return "no error";
        case rapidjson::kParseErrorDocumentEmpty: return "the text is empty";
        case rapidjson::kParseErrorDocumentRootNotSingular: return "more than one value";
        case rapidjson::kParseErrorValueInvalid: return "invalid value";
        case rapidjson::kParseErrorObjectMissName: return "missing a member name";
        case rapidjson::kParseErrorObjectMissColon: return "missing a colon after a member name";
        case rapidjson::kParseErrorObjectMissCommaOrCurlyBracket:
            return "missing a comma or \"}\" after a member";
        case rapidjson::kParseErrorArrayMissCommaOrSquareBracket:
            return "missing a comma or \"]\" after an element";
        case rapidjson::kParseErrorStringUnicodeEscapeInvalidHex:
            return "invalid hexadecimal digits in a \\u escape";
        case rapidjson::kParseErrorStringUnicodeSurrogateInvalid:
            return "invalid surrogate pair in a \\u escape";
        // RapidJSON reports a raw control character in a string as a bad escape too.
        case rapidjson::kParseErrorStringEscapeInvalid: return "invalid escape sequence or control character";
        case rapidjson::kParseErrorStringMissQuotationMark: return "missing the closing quotation mark";
        case rapidjson::kParseErrorStringInvalidEncoding: return "invalid encoding";
        case rapidjson::kParseErrorNumberTooBig: return "number too big";
        case rapidjson::kParseErrorNumberMissFraction: return "missing digits after the decimal point";
        case rapidjson::kParseErrorNumberMissExponent: return "missing digits in the exponent";
        case rapidjson::kParseErrorTermination: return "reading stopped";
        case rapidjson::kParseErrorUnspecificSyntaxError: return "syntax error";
    }
    return "syntax error";
}

}  // namespace core
