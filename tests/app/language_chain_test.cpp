// The order in which interface languages are tried, the Language menu's ids and the restart
// text. A scripted loader records every id tried and loads only those it has libraries for.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "app/language_chain.h"

namespace {

using language_chain::language_id;
using language_chain::startup_source;

class scripted_loader {
public:
    // Ids that load; `own` loads as well, as the program's own resources always do.
    explicit scripted_loader(std::set<language_id> available, language_id own = 0x0409)
        : available_(std::move(available)), own_(own) {}

    language_chain::loader loader() {
        return [this](language_id id) {
            tried.push_back(id);
            return id == own_ || available_.count(id) != 0;
        };
    }
    std::vector<language_id> tried;

private:
    std::set<language_id> available_;
    language_id own_;
};

struct try_case {
    language_id start;
    std::set<language_id> available;
    bool loads;
    std::vector<language_id> tried;
    language_id ends_as;
};

TEST(try_language, falls_back_to_the_neutral_then_the_default_form) {
    const try_case cases[] = {
        // Sublanguage 1 (German, Germany): the default form is the language itself.
        {0x0407, {}, false, {0x0407, 0x0007}, 0x0007},
        // Sublanguage 3 (Chinese, Hong Kong): neutral, then default (Taiwan).
        {0x0C04, {}, false, {0x0C04, 0x0004, 0x0404}, 0x0404},
        {0x0C04, {0x0004}, true, {0x0C04, 0x0004}, 0x0004},
        {0x0C04, {0x0404}, true, {0x0C04, 0x0004, 0x0404}, 0x0404},
        // Sublanguage 2 (Chinese, PRC) itself loads: nothing else is tried.
        {0x0804, {0x0804}, true, {0x0804}, 0x0804},
        // A neutral id is not tried twice; its default form follows.
        {0x0004, {}, false, {0x0004, 0x0404}, 0x0404},
        // Sublanguage 0x3F, the highest: the primary language survives intact.
        {0xFC0A, {0x040A}, true, {0xFC0A, 0x000A, 0x040A}, 0x040A},
        // No primary language (a stored or read id such as 0x2000): its neutral form would be
        // 0, which is never tried.
        {0x2000, {}, false, {0x2000, 0x0400}, 0x0400},
        {0x0400, {}, false, {0x0400}, 0x0400},
    };
    for (const try_case& c : cases) {
        scripted_loader load(c.available, 0);
        language_id current = c.start;
        EXPECT_EQ(language_chain::try_language(current, load.loader()), c.loads) << c.start;
        EXPECT_EQ(load.tried, c.tried) << c.start;
        EXPECT_EQ(current, c.ends_as) << c.start;
    }
}

TEST(try_language, tries_nothing_for_language_zero) {
    scripted_loader load({0x0000, 0x0400});
    language_id current = 0;
    EXPECT_FALSE(language_chain::try_language(current, load.loader()));
    EXPECT_TRUE(load.tried.empty());
    EXPECT_EQ(current, 0);
}

// The system's candidates, counting how often each source is asked.
class scripted_system {
public:
    explicit scripted_system(std::map<startup_source, language_id> values)
        : values_(std::move(values)) {}
    language_chain::candidate_query query() {
        return [this](startup_source source) {
            asked.push_back(source);
            auto found = values_.find(source);
            return found == values_.end() ? language_id{0} : found->second;
        };
    }
    std::vector<startup_source> asked;

private:
    std::map<startup_source, language_id> values_;
};

TEST(select_startup_language, stored_choice_wins_and_nothing_else_is_asked) {
    scripted_system system(
        {{startup_source::stored, 0x0804}, {startup_source::user_interface, 0x0409}});
    scripted_loader load({0x0804});
    language_id current = 0;
    EXPECT_TRUE(
        language_chain::select_startup_language(0x0409, current, system.query(), load.loader()));
    EXPECT_EQ(current, 0x0804);
    EXPECT_EQ(system.asked, std::vector<startup_source>{startup_source::stored});
}

TEST(select_startup_language, stored_own_language_loads_no_library_even_if_others_exist) {
    scripted_system system(
        {{startup_source::stored, 0x0409}, {startup_source::user_interface, 0x0804}});
    scripted_loader load({0x0804});
    language_id current = 0;
    language_chain::select_startup_language(0x0409, current, system.query(), load.loader());
    EXPECT_EQ(current, 0x0409);
    EXPECT_EQ(load.tried, std::vector<language_id>{0x0409});
}

TEST(select_startup_language, asks_the_sources_in_order_until_one_loads) {
    scripted_system system({{startup_source::user_interface, 0x0407},
                            {startup_source::system_interface, 0x0C04},
                            {startup_source::user_default, 0x0804},
                            {startup_source::system_default, 0x0409}});
    scripted_loader load({0x0804});
    language_id current = 0;
    EXPECT_TRUE(
        language_chain::select_startup_language(0x0409, current, system.query(), load.loader()));
    EXPECT_EQ(current, 0x0804);
    const std::vector<startup_source> asked = {
        startup_source::stored, startup_source::user_interface, startup_source::system_interface,
        startup_source::user_default};
    EXPECT_EQ(system.asked, asked);
    // No stored value (0) is not tried; then German and its neutral form, then Hong Kong
    // Chinese with both fallbacks, then PRC Chinese.
    const std::vector<language_id> tried = {0x0407, 0x0007, 0x0C04, 0x0004, 0x0404, 0x0804};
    EXPECT_EQ(load.tried, tried);
}

TEST(select_startup_language, ends_with_the_own_language_when_nothing_else_loads) {
    scripted_system system({{startup_source::user_interface, 0x0407},
                            {startup_source::system_interface, 0x0407},
                            {startup_source::user_default, 0x0407},
                            {startup_source::system_default, 0x0407}});
    scripted_loader load({});
    language_id current = 0;
    EXPECT_TRUE(
        language_chain::select_startup_language(0x0409, current, system.query(), load.loader()));
    EXPECT_EQ(current, 0x0409);
    EXPECT_EQ(system.asked.size(), 5u);
    EXPECT_EQ(load.tried.back(), 0x0409);
}

TEST(select_startup_language, without_an_own_language_the_current_one_ends_as_zero) {
    scripted_system system({{startup_source::user_interface, 0x0407}});
    scripted_loader load({}, 0);
    language_id current = 0;
    EXPECT_FALSE(
        language_chain::select_startup_language(0, current, system.query(), load.loader()));
    EXPECT_EQ(current, 0);
}

TEST(parse_resource_locale, reads_hexadecimal_locale_ids_and_keeps_the_language_word) {
    EXPECT_EQ(language_chain::parse_resource_locale(L"00000804"), 0x0804);
    EXPECT_EQ(language_chain::parse_resource_locale(L"409"), 0x0409);
    EXPECT_EQ(language_chain::parse_resource_locale(L" 0x0C04"), 0x0C04);
    EXPECT_EQ(language_chain::parse_resource_locale(L"00020804"), 0x0804) << "sort id dropped";
    EXPECT_EQ(language_chain::parse_resource_locale(L"0407 tail"), 0x0407);
    EXPECT_EQ(language_chain::parse_resource_locale(L""), 0);
    EXPECT_EQ(language_chain::parse_resource_locale(L"German"), 0);
    EXPECT_EQ(language_chain::parse_resource_locale(L"FFFFFFFFFFFFFFFF0409"), 0x0409);
}

TEST(first_translation_language, reads_the_first_little_endian_language_of_the_table) {
    const std::uint8_t table[] = {0x04, 0x08, 0xB0, 0x04, 0x09, 0x04, 0xE4, 0x04};
    EXPECT_EQ(language_chain::first_translation_language(table, sizeof table), 0x0804);
    EXPECT_EQ(language_chain::first_translation_language(table, 2), 0x0804) << "language only";
    EXPECT_EQ(language_chain::first_translation_language(table, 1), 0) << "half an id";
    EXPECT_EQ(language_chain::first_translation_language(table, 0), 0);
    EXPECT_EQ(language_chain::first_translation_language(nullptr, 4), 0);
}

TEST(language_menu_ids, commands_map_to_listed_languages_only) {
    EXPECT_EQ(language_chain::chosen_index(28416, 2), 0u);
    EXPECT_EQ(language_chain::chosen_index(28417, 2), 1u);
    EXPECT_FALSE(language_chain::chosen_index(28418, 2));
    EXPECT_FALSE(language_chain::chosen_index(28415, 2));
    EXPECT_FALSE(language_chain::chosen_index(28416, 0));
    EXPECT_EQ(language_chain::chosen_index(28671, 1000), 255u);
    EXPECT_FALSE(language_chain::chosen_index(28672, 1000)) << "beyond the command range";
}

TEST(language_menu_ids, last_matching_entry_carries_the_check_mark) {
    EXPECT_EQ(language_chain::checked_index({0x0409, 0x0804, 0x0804}, 0x0804), 2u);
    EXPECT_EQ(language_chain::checked_index({0x0409}, 0x0409), 0u);
    EXPECT_FALSE(language_chain::checked_index({0x0409, 0x0804}, 0x0004));
    EXPECT_FALSE(language_chain::checked_index({}, 0x0409));

    // Only the first 256 languages have commands; a match beyond them gets no mark.
    std::vector<language_id> many(300, 0x0409);
    many[299] = 0x0804;
    EXPECT_FALSE(language_chain::checked_index(many, 0x0804));
    EXPECT_EQ(language_chain::checked_index(many, 0x0409), 255u);
    EXPECT_EQ(language_chain::menu_item_count(many.size()), 256u);
}

TEST(language_names, unnamed_language_shows_its_id_in_decimal) {
    EXPECT_EQ(language_chain::unnamed_language(0x7F7F), L"32639 - ???");
}

TEST(language_names, only_names_shared_by_different_languages_gain_their_region) {
    const auto region = [](language_id id) -> std::wstring {
        if (id == 0x0404) return L"\u53F0\u7063";
        if (id == 0x1404) return L"\u6FB3\u9580";
        return {};  // no region known: the name stays
    };
    const std::wstring traditional = L"\u4E2D\u6587 (\u7E41\u9AD4)";
    EXPECT_EQ(language_chain::distinct_menu_names(
                  {0x0409, 0x0404, 0x0804, 0x1404},
                  {L"English", traditional, L"\u4E2D\u6587", traditional}, region),
              (std::vector<std::wstring>{L"English", traditional + L" \u2013 \u53F0\u7063",
                                         L"\u4E2D\u6587", traditional + L" \u2013 \u6FB3\u9580"}));
    // One language listed twice is no mix-up between two; a shared name without a known
    // region stays as it is.
    EXPECT_EQ(
        language_chain::distinct_menu_names({0x0404, 0x0404}, {traditional, traditional}, region),
        (std::vector<std::wstring>{traditional, traditional}));
    EXPECT_EQ(
        language_chain::distinct_menu_names({0x0404, 0x0C04}, {traditional, traditional}, region),
        (std::vector<std::wstring>{traditional + L" \u2013 \u53F0\u7063", traditional}));
}

TEST(format_restart_text, puts_the_application_name_in_and_nothing_else) {
    EXPECT_EQ(language_chain::format_restart_text(L"Please restart application.", L"Orv"),
              L"Please restart application.");
    EXPECT_EQ(language_chain::format_restart_text(L"Please restart %s.", L"Orv Vanta Kit"),
              L"Please restart Orv Vanta Kit.");
    EXPECT_EQ(language_chain::format_restart_text(L"%s, %s: 100%%", L"A"), L"A, A: 100%");
    // A library's text cannot make the program read arguments that do not exist.
    EXPECT_EQ(language_chain::format_restart_text(L"%d %n %x %", L"A"), L"%d %n %x %");
}

}  // namespace
