#include "tools/translation_check/rc_script.h"

#include <cstddef>
#include <set>
#include <string>
#include <utility>

namespace translation_check {
namespace {

struct token {
    enum kind_t { word, string, punct } kind;
    std::string text;
    int line;
};

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }
bool is_punct(char c) {
    return c == ',' || c == '|' || c == '(' || c == ')' || c == '{' || c == '}';
}

// The body of a quoted text from just past its opening quote: "" stands for one quote, and the
// C escapes the resource compiler knows are resolved.
std::string read_quoted(std::string_view text, std::size_t& i, int& line) {
    std::string out;
    while (i < text.size()) {
        const char c = text[i++];
        if (c == '"') {
            if (i < text.size() && text[i] == '"') {
                out.push_back('"');
                ++i;
                continue;
            }
            return out;
        }
        if (c == '\n') ++line;
        if (c != '\\' || i >= text.size()) {
            out.push_back(c);
            continue;
        }
        const char e = text[i++];
        switch (e) {
            case 'n':
                out.push_back('\n');
                break;
            case 't':
                out.push_back('\t');
                break;
            case 'r':
                out.push_back('\r');
                break;
            case 'a':
                out.push_back('\b');
                break;
            case '\\':
                out.push_back('\\');
                break;
            case '"':
                out.push_back('"');
                break;
            default:
                out.push_back('\\');
                out.push_back(e);
        }
    }
    return out;
}

std::vector<token> tokenize(std::string_view text) {
    std::vector<token> tokens;
    std::size_t i = 0;
    int line = 1;
    bool line_start = true;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\n') {
            ++line;
            ++i;
            line_start = true;
            continue;
        }
        if (is_space(c)) {
            ++i;
            continue;
        }
        if (text.substr(i, 2) == "//") {
            while (i < text.size() && text[i] != '\n') ++i;
            continue;
        }
        if (text.substr(i, 2) == "/*") {
            const std::size_t end = text.find("*/", i + 2);
            const std::size_t stop = end == std::string_view::npos ? text.size() : end + 2;
            for (; i < stop; ++i) line += text[i] == '\n';
            continue;
        }
        if (c == '#' && line_start) {
            // A preprocessor line, with its continuations.
            while (i < text.size() && text[i] != '\n') {
                if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\n') {
                    ++line;
                    ++i;
                }
                ++i;
            }
            continue;
        }
        line_start = false;
        if (c == '"' || (c == 'L' && i + 1 < text.size() && text[i + 1] == '"')) {
            i += c == 'L' ? 2 : 1;
            const int at = line;
            tokens.push_back({token::string, read_quoted(text, i, line), at});
            continue;
        }
        if (is_punct(c)) {
            tokens.push_back({token::punct, std::string(1, c), line});
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < text.size() && !is_space(text[i]) && !is_punct(text[i]) && text[i] != '"') ++i;
        tokens.push_back({token::word, std::string(text.substr(start, i - start)), line});
    }
    return tokens;
}

bool opens_block(const token& t) {
    return (t.kind == token::word && t.text == "BEGIN") ||
           (t.kind == token::punct && t.text == "{");
}
bool closes_block(const token& t) {
    return (t.kind == token::word && t.text == "END") || (t.kind == token::punct && t.text == "}");
}

class parser {
public:
    explicit parser(std::vector<token> tokens) : tokens_(std::move(tokens)) {}

    rc_script run() {
        rc_script script;
        while (!done()) {
            const token& first = next();
            if (first.kind != token::word) continue;
            if (first.text == "STRINGTABLE") {
                read_string_table(script);
                continue;
            }
            if (first.text == "LANGUAGE") {
                skip_line(first.line);
                continue;
            }
            if (done()) break;
            const token type = next();
            if (type.kind != token::word) {
                skip_line(type.line);
            } else if (type.text == "MENU" || type.text == "MENUEX") {
                skip_to_block();
                script.menus[first.text] = read_menu_level();
            } else if (type.text == "DIALOG" || type.text == "DIALOGEX") {
                script.dialogs[first.text] = read_dialog();
            } else if (block_types.count(type.text)) {
                skip_to_block();
                skip_block();
            } else {
                skip_line(type.line);
            }
        }
        return script;
    }

private:
    inline static const std::set<std::string> block_types = {
        "ACCELERATORS", "VERSIONINFO", "RCDATA", "TOOLBAR", "DLGINIT", "DESIGNINFO", "TEXTINCLUDE"};
    inline static const std::set<std::string> control_keywords = {
        "LTEXT",           "RTEXT",    "CTEXT",      "PUSHBUTTON",   "DEFPUSHBUTTON",
        "CONTROL",         "GROUPBOX", "CHECKBOX",   "AUTOCHECKBOX", "RADIOBUTTON",
        "AUTORADIOBUTTON", "STATE3",   "AUTO3STATE", "PUSHBOX",      "ICON",
        "EDITTEXT",        "COMBOBOX", "LISTBOX",    "SCROLLBAR"};
    inline static const std::set<std::string> untexted_controls = {"ICON", "EDITTEXT", "COMBOBOX",
                                                                   "LISTBOX", "SCROLLBAR"};

    bool done() const { return at_ >= tokens_.size(); }
    const token& peek() const { return tokens_[at_]; }
    const token& next() { return tokens_[at_++]; }

    void skip_line(int line) {
        while (!done() && peek().line == line) ++at_;
    }
    void skip_to_block() {
        while (!done() && !opens_block(peek())) ++at_;
        if (!done()) ++at_;
    }
    // Past the END of a block whose BEGIN was just read.
    void skip_block() {
        int depth = 1;
        while (!done() && depth > 0) {
            const token& t = next();
            if (opens_block(t)) ++depth;
            if (closes_block(t)) --depth;
        }
    }

    void read_string_table(rc_script& script) {
        skip_to_block();
        while (!done() && !closes_block(peek())) {
            const token id = next();
            if (!done() && peek().kind == token::punct && peek().text == ",") ++at_;
            if (!done() && peek().kind == token::string) script.strings[id.text] = next().text;
        }
        if (!done()) ++at_;
    }

    // The items of one menu level, up to and past its END.
    std::vector<menu_item> read_menu_level() {
        std::vector<menu_item> items;
        while (!done() && !closes_block(peek())) {
            const token keyword = next();
            if (keyword.text == "POPUP") {
                menu_item popup;
                popup.popup = true;
                if (!done() && peek().kind == token::string) popup.text = next().text;
                skip_to_block();
                popup.items = read_menu_level();
                items.push_back(std::move(popup));
            } else if (keyword.text == "MENUITEM") {
                menu_item item;
                if (!done() && peek().kind == token::word && peek().text == "SEPARATOR") {
                    item.separator = true;
                    ++at_;
                } else {
                    if (!done() && peek().kind == token::string) item.text = next().text;
                    if (!done() && peek().text == ",") ++at_;
                    if (!done() && peek().kind == token::word) item.id = next().text;
                }
                skip_line(keyword.line);
                items.push_back(std::move(item));
            }
        }
        if (!done()) ++at_;
        return items;
    }

    dialog read_dialog() {
        dialog result;
        while (!done() && !opens_block(peek())) {
            const token t = next();
            if (t.kind == token::word && t.text == "CAPTION" && !done() &&
                peek().kind == token::string) {
                result.caption = next().text;
            }
        }
        if (!done()) ++at_;
        while (!done() && !closes_block(peek())) {
            const token keyword = next();
            if (keyword.kind != token::word || !control_keywords.count(keyword.text)) continue;
            result.controls.push_back(read_control(keyword.text));
        }
        if (!done()) ++at_;
        return result;
    }

    // A control's arguments run up to the next control keyword or the dialog's END.
    dialog_control read_control(const std::string& keyword) {
        std::vector<std::vector<token>> arguments(1);
        while (!done() && !closes_block(peek()) &&
               !(peek().kind == token::word && control_keywords.count(peek().text))) {
            const token t = next();
            if (t.kind == token::punct && t.text == ",") {
                arguments.emplace_back();
            } else {
                arguments.back().push_back(t);
            }
        }
        dialog_control control;
        const bool texted = !untexted_controls.count(keyword);
        const std::size_t id_at = keyword == "ICON" ? 1 : (texted ? 1 : 0);
        if (texted && !arguments[0].empty() && arguments[0][0].kind == token::string) {
            control.text = arguments[0][0].text;
        }
        if (id_at < arguments.size() && !arguments[id_at].empty()) {
            control.id = arguments[id_at][0].text;
        }
        for (const auto& argument : arguments) {
            for (const token& t : argument) control.no_prefix |= t.text == "SS_NOPREFIX";
        }
        return control;
    }

    std::vector<token> tokens_;
    std::size_t at_ = 0;
};

}  // namespace

rc_script parse_rc_script(std::string_view text) { return parser(tokenize(text)).run(); }

std::map<std::string, long> parse_defines(std::string_view text) {
    std::map<std::string, long> defines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        std::size_t i = 0;
        while (i < line.size() && is_space(line[i])) ++i;
        if (line.substr(i, 7) != "#define") continue;
        i += 7;
        while (i < line.size() && is_space(line[i])) ++i;
        const std::size_t name_start = i;
        while (i < line.size() && !is_space(line[i])) ++i;
        const std::string name(line.substr(name_start, i - name_start));
        while (i < line.size() && is_space(line[i])) ++i;
        const std::string value(line.substr(i));
        try {
            std::size_t used = 0;
            const long number = std::stol(value, &used, 0);
            if (used > 0) defines[name] = number;
        } catch (...) {
            // Not a number: not an id.
        }
    }
    return defines;
}

}  // namespace translation_check
