// translation_check SOURCE_DIR
//
// Checks that every translation is whole against the English resources, and prints each gap
// by language and resource id:
//   - vanta's language libraries (app/vanta*.rc) against the program's own app/vanta.rc;
//   - the update library's built-in texts, in each of their languages, against the string
//     table of update_check/OrvUpdateCheck.rc.
// Exits with 0 when there is no gap, 1 when there is one, 2 when a script cannot be read.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tools/translation_check/rc_script.h"
#include "tools/translation_check/translation_gaps.h"
#include "update_check/rules/builtin_texts.h"

namespace fs = std::filesystem;
using namespace translation_check;

namespace {

std::optional<std::string> read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string utf8(std::wstring_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<std::uint32_t>(text[i]);
        // wchar_t is UTF-16 on Windows: join a surrogate pair.
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<std::uint32_t>(text[++i]) - 0xDC00);
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string hex_language(std::uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%04X", static_cast<unsigned>(id));
    return text;
}

struct sources {
    fs::path root;
    bool failed = false;

    std::string text(const fs::path& relative) {
        auto content = read_file(root / relative);
        if (!content) {
            std::fprintf(stderr, "translation_check: cannot read %s\n",
                         (root / relative).string().c_str());
            failed = true;
            return {};
        }
        return *content;
    }
};

std::vector<gap> check_program(sources& in, const id_names& names, int& languages) {
    const rc_script english = parse_rc_script(in.text("app/vanta.rc"));
    if (english.strings.empty() || english.menus.empty() || english.dialogs.empty()) {
        std::fprintf(stderr,
                     "translation_check: app/vanta.rc holds no strings, menus or dialogs\n");
        in.failed = true;
        return {};
    }
    std::vector<gap> gaps = mnemonic_gaps(english, "vanta.rc", names);
    std::vector<fs::path> scripts;
    for (const auto& entry : fs::directory_iterator(in.root / "app")) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 8 && name.rfind("vanta", 0) == 0 && entry.path().extension() == ".rc") {
            scripts.push_back(entry.path().filename());
        }
    }
    std::sort(scripts.begin(), scripts.end());
    for (const fs::path& script : scripts) {
        const rc_script translation = parse_rc_script(in.text(fs::path("app") / script));
        for (gap& found : compare_scripts(english, translation, script.string(), names)) {
            gaps.push_back(found);
        }
        ++languages;
    }
    return gaps;
}

std::vector<gap> check_update_library(sources& in, const id_names& names, int& languages) {
    std::map<long, std::string> english;
    for (const auto& [symbol, text] :
         parse_rc_script(in.text("update_check/OrvUpdateCheck.rc")).strings) {
        const auto id = names.number(symbol);
        if (!id) {
            std::fprintf(stderr, "translation_check: no number for %s\n", symbol.c_str());
            in.failed = true;
            continue;
        }
        english[*id] = text;
    }
    if (english.empty()) {
        std::fprintf(stderr, "translation_check: OrvUpdateCheck.rc holds no strings\n");
        in.failed = true;
    }
    std::vector<gap> gaps;
    for (std::uint32_t language : orv::builtin_text_languages()) {
        auto lookup = [language](long id) -> std::optional<std::string> {
            const auto text = orv::builtin_text(language, static_cast<unsigned>(id));
            if (!text) return std::nullopt;
            return utf8(*text);
        };
        std::vector<long> ids;
        for (long id = 0; id <= 0xFFFF; ++id) {
            if (lookup(id)) ids.push_back(id);
        }
        const std::string name = "OrvUpdateCheck built-in texts " + hex_language(language);
        for (gap& found : compare_texts(english, lookup, ids, name)) gaps.push_back(found);
        ++languages;
    }
    return gaps;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: translation_check SOURCE_DIR\n");
        return 2;
    }
    sources in{argv[1]};
    // Each binary has its own ids.
    std::map<std::string, long> program_ids = parse_defines(in.text("app/resource.h"));
    program_ids.merge(parse_defines(in.text("framework/framework_ids.h")));
    const id_names update_library_ids(parse_defines(in.text("update_check/resource.h")));
    int languages = 0;
    std::vector<gap> gaps = check_program(in, id_names(program_ids), languages);
    for (gap& found : check_update_library(in, update_library_ids, languages)) {
        gaps.push_back(found);
    }
    if (in.failed) return 2;
    for (const gap& found : gaps) std::printf("%s\n", describe(found).c_str());
    std::printf("translation_check: %d translations, %zu gaps\n", languages, gaps.size());
    return gaps.empty() ? 0 : 1;
}
