#include "tools/wallpkg/lint/script_scanner.h"

#include <vector>

#include "tools/wallpkg/lint/text_scan.h"

namespace wallpkg {
namespace {

struct Token {
    enum class Kind { name, string, punctuator, other };
    Kind kind = Kind::other;
    std::string text;  // a name, a string's value, or one punctuator character
    std::size_t line = 1;
};

bool is_name_start(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' ||
           static_cast<unsigned char>(c) >= 0x80;
}
bool is_name_char(char c) { return is_name_start(c) || (c >= '0' && c <= '9'); }

// Whether a "/" after this token starts a regular expression rather than a division.
bool regex_may_follow(const std::vector<Token>& tokens) {
    if (tokens.empty()) return true;
    const Token& last = tokens.back();
    if (last.kind == Token::Kind::punctuator) return last.text != ")" && last.text != "]";
    if (last.kind == Token::Kind::name) {
        static constexpr std::string_view kOperators[] = {"return", "typeof", "instanceof", "in",   "of",
                                                           "new",    "delete", "void",       "throw", "case",
                                                           "do",     "else",   "yield",      "await"};
        for (const std::string_view keyword : kOperators) {
            if (last.text == keyword) return true;
        }
    }
    return false;
}

void skip_regex(TextCursor& at) {
    at.take();
    bool in_class = false;
    while (!at.done() && at.peek() != '\n') {
        const char c = at.take();
        if (c == '\\') {
            if (!at.done()) at.take();
        } else if (c == '[') {
            in_class = true;
        } else if (c == ']') {
            in_class = false;
        } else if (c == '/' && !in_class) {
            break;
        }
    }
    while (!at.done() && is_name_char(at.peek())) at.take();
}

std::string read_quoted(TextCursor& at) {
    const char quote = at.take();
    std::string value;
    while (!at.done() && at.peek() != quote && at.peek() != '\n') {
        if (at.peek() == '\\') {
            at.take();
            if (at.done()) break;
        }
        value += at.take();
    }
    if (!at.done() && at.peek() == quote) at.take();
    return value;
}

// Reads template text up to its end or the next "${"; true when it stopped at "${".
bool read_template_text(TextCursor& at, std::string& value) {
    while (!at.done()) {
        const char c = at.take();
        if (c == '`') return false;
        if (c == '\\') {
            if (!at.done()) value += at.take();
        } else if (c == '$' && at.peek() == '{') {
            at.take();
            return true;
        } else {
            value += c;
        }
    }
    return false;
}

std::vector<Token> tokenize(std::string_view script, std::size_t first_line) {
    std::vector<Token> tokens;
    TextCursor at(script, first_line);
    // For each open "${": the brace depth at which its "}" resumes the template.
    std::vector<std::size_t> template_depths;
    std::size_t depth = 0;
    while (!at.done()) {
        const char c = at.peek();
        const std::size_t line = at.line;
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            at.take();
        } else if (at.starts_with("//")) {
            at.skip_past("\n");
        } else if (at.starts_with("/*")) {
            at.skip_past("*/");
        } else if (c == '"' || c == '\'') {
            tokens.push_back(Token{Token::Kind::string, read_quoted(at), line});
        } else if (c == '`' || (c == '}' && !template_depths.empty() && template_depths.back() == depth)) {
            if (c == '}') template_depths.pop_back();
            at.take();
            std::string value;
            if (read_template_text(at, value)) template_depths.push_back(depth);
            tokens.push_back(Token{Token::Kind::string, std::move(value), line});
        } else if (c == '/' && regex_may_follow(tokens)) {
            skip_regex(at);
            tokens.push_back(Token{Token::Kind::other, "", line});
        } else if (is_name_start(c)) {
            std::string name;
            while (!at.done() && is_name_char(at.peek())) name += at.take();
            tokens.push_back(Token{Token::Kind::name, std::move(name), line});
        } else if (c >= '0' && c <= '9') {
            while (!at.done() && (is_name_char(at.peek()) || at.peek() == '.')) at.take();
            tokens.push_back(Token{Token::Kind::other, "", line});
        } else {
            at.take();
            if (c == '{') ++depth;
            if (c == '}' && depth > 0) --depth;
            tokens.push_back(Token{Token::Kind::punctuator, std::string(1, c), line});
        }
    }
    return tokens;
}

bool is(const std::vector<Token>& tokens, std::size_t i, Token::Kind kind, std::string_view text = {}) {
    return i < tokens.size() && tokens[i].kind == kind && (text.empty() || tokens[i].text == text);
}

// A global name: not a property of something else, unless of window, self or globalThis.
bool is_global(const std::vector<Token>& tokens, std::size_t i) {
    if (i == 0 || !is(tokens, i - 1, Token::Kind::punctuator, ".")) return true;
    return i >= 2 && tokens[i - 2].kind == Token::Kind::name &&
           (tokens[i - 2].text == "window" || tokens[i - 2].text == "globalThis" || tokens[i - 2].text == "self");
}

// The specifier of an import or export statement starting at i, if it names one.
const Token* statement_specifier(const std::vector<Token>& tokens, std::size_t i, bool is_import) {
    if (is_import && is(tokens, i + 1, Token::Kind::string)) return &tokens[i + 1];
    for (std::size_t j = i + 1; j < tokens.size() && j < i + 400; ++j) {
        const Token& token = tokens[j];
        if (token.kind == Token::Kind::name && token.text == "from" && is(tokens, j + 1, Token::Kind::string)) {
            return &tokens[j + 1];
        }
        if (token.kind == Token::Kind::punctuator && (token.text == ";" || token.text == "(" || token.text == "=")) break;
        if (token.kind == Token::Kind::name &&
            (token.text == "import" || token.text == "export" || token.text == "function" || token.text == "class" ||
             token.text == "const" || token.text == "let" || token.text == "var" || token.text == "default")) {
            break;
        }
    }
    return nullptr;
}

}  // namespace

void scan_script(std::string_view script, std::size_t first_line,
                 const std::function<void(const ScriptFinding&)>& visit) {
    const std::vector<Token> tokens = tokenize(script, first_line);
    using Kind = ScriptFinding::Kind;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        if (token.kind != Token::Kind::name) continue;
        const bool called = is(tokens, i + 1, Token::Kind::punctuator, "(");
        const bool after_new = i > 0 && is(tokens, i - 1, Token::Kind::name, "new");
        const bool after_dot = i > 0 && is(tokens, i - 1, Token::Kind::punctuator, ".");
        const std::string& name = token.text;
        if (name == "eval" && called && is_global(tokens, i)) {
            visit({Kind::eval, token.line, name});
        } else if (name == "Function" && (called || after_new) && is_global(tokens, i)) {
            visit({Kind::function_constructor, token.line, name});
        } else if ((name == "setTimeout" || name == "setInterval") && called && is_global(tokens, i) &&
                   is(tokens, i + 2, Token::Kind::string)) {
            visit({Kind::string_timer, token.line, name});
        } else if ((name == "Worker" || name == "SharedWorker") && after_new) {
            visit({Kind::worker, token.line, name});
        } else if (name == "serviceWorker" && is(tokens, i + 1, Token::Kind::punctuator, ".") &&
                   is(tokens, i + 2, Token::Kind::name, "register")) {
            visit({Kind::worker, token.line, name});
        } else if (name == "WebAssembly" && !after_dot && is(tokens, i + 1, Token::Kind::punctuator, ".")) {
            visit({Kind::web_assembly, token.line, name});
        } else if ((name == "import" || name == "export") && !after_dot &&
                   !is(tokens, i + 1, Token::Kind::punctuator, ".")) {
            const Token* specifier = nullptr;
            if (name == "import" && called) {
                if (is(tokens, i + 2, Token::Kind::string)) specifier = &tokens[i + 2];
            } else {
                specifier = statement_specifier(tokens, i, name == "import");
            }
            if (specifier) visit({Kind::module_specifier, specifier->line, specifier->text});
        }
    }
}

}  // namespace wallpkg
