// language_support on real files: copies of the built vanta.exe and vantaCHS.dll in a folder
// of their own, loaded with the real loader, with the resource source of the framework
// following. The system's answers at start-up are scripted here; the real ones are checked
// one by one below.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "app/language_support.h"
#include "app/system_languages.h"
#include "framework/resources.h"
#include "tests/app/import_spy.h"
#include "tests/app/language_fixture.h"

namespace vanta_test {
namespace {

using language_chain::startup_source;

constexpr wchar_t chinese_no_calculator[] = L"未检测到计算器";

std::wstring current_string(UINT id) {
    std::wstring text;
    fw::load_string(id, text);
    return text;
}

language_chain::candidate_query scripted(std::map<startup_source, language_chain::language_id> v) {
    return [v](startup_source source) {
        auto found = v.find(source);
        return found == v.end() ? language_chain::language_id{0} : found->second;
    };
}

class language_support_test : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_EQ(fw::resource_module(), ::GetModuleHandleW(nullptr))
            << "the program's own resources are back once the object is gone";
    }
};

TEST_F(language_support_test, languages_come_from_the_version_resources) {
    program_folder folder(L"versions");
    ASSERT_TRUE(folder.add_chinese());
    ASSERT_TRUE(folder.add(L"vanta_test_no_strings.dll", L"vantaXYZ.dll"));

    EXPECT_EQ(language_support::file_language(folder.program()), 0x0409);
    EXPECT_EQ(language_support::file_language(folder.path(L"vantaCHS.dll")), 0x0804);
    EXPECT_EQ(language_support::file_language(folder.path(L"vantaXYZ.dll")), 0) << "none";
    EXPECT_EQ(language_support::file_language(folder.path(L"absent.dll")), 0);
    EXPECT_EQ(language_support::file_language(L""), 0);

    language_support support(folder.program());
    EXPECT_EQ(support.own_language(), 0x0409);
    EXPECT_EQ(support.current_language(), 0);
    EXPECT_EQ(support.resource_library(), nullptr);
    EXPECT_EQ(support.library_path(0x0804), folder.path(L"vantaCHS.dll"));
    EXPECT_EQ(support.library_path(0x0407), folder.path(L"vantaDEU.dll"));
    EXPECT_EQ(support.library_path(0x7F7F), L"") << "no abbreviation";
}

TEST_F(language_support_test, a_loaded_library_is_the_resource_source_until_unloaded) {
    program_folder folder(L"load");
    ASSERT_TRUE(folder.add_chinese());
    language_support support(folder.program());

    support.set_current_language(0x0804);
    ASSERT_TRUE(support.load_language());
    ASSERT_NE(support.resource_library(), nullptr);
    EXPECT_EQ(fw::resource_module(), support.resource_library());
    EXPECT_EQ(current_string(107), chinese_no_calculator);

    // The own language needs no library: the loaded one goes.
    support.set_current_language(0x0409);
    EXPECT_TRUE(support.load_language());
    EXPECT_EQ(support.resource_library(), nullptr);
    EXPECT_EQ(fw::resource_module(), ::GetModuleHandleW(nullptr));
    EXPECT_EQ(current_string(107), L"No Calculator Detected");
    EXPECT_EQ(::GetModuleHandleW(folder.path(L"vantaCHS.dll").c_str()), nullptr) << "freed";

    support.set_current_language(0x0804);
    ASSERT_TRUE(support.load_language());
    support.unload_language();
    EXPECT_EQ(support.resource_library(), nullptr);
    EXPECT_EQ(current_string(107), L"No Calculator Detected");
}

TEST_F(language_support_test, a_language_without_a_loadable_library_changes_nothing) {
    program_folder folder(L"missing");
    ASSERT_TRUE(folder.add_chinese());
    // A file by the right name that is no library at all.
    ASSERT_TRUE(folder.add(L"vanta_test_no_strings.dll", L"vantaDEU.dll"));
    std::ofstream(std::filesystem::path(folder.path(L"vantaFRA.dll"))) << "not a module";
    language_support support(folder.program());
    support.set_current_language(0x0804);
    ASSERT_TRUE(support.load_language());
    HMODULE chinese = support.resource_library();

    for (language_chain::language_id id : {0x040C, 0x7F7F, 0x0411}) {
        support.set_current_language(id);
        EXPECT_FALSE(support.load_language()) << id;
        EXPECT_EQ(support.resource_library(), chinese) << id;
        EXPECT_EQ(current_string(107), chinese_no_calculator) << id;
    }
    // A library carries no language check of its own: it loads by its name.
    support.set_current_language(0x0407);
    EXPECT_TRUE(support.load_language());
    EXPECT_NE(support.resource_library(), chinese);
}

TEST_F(language_support_test, a_library_is_loaded_as_data_and_its_code_never_runs) {
    program_folder folder(L"data_only");
    ASSERT_TRUE(folder.add(L"vanta_test_marker.dll", L"vantaDEU.dll"));
    const std::wstring marker = folder.path(L"vantaDEU.dll.ran");
    language_support support(folder.program());

    support.list_languages();
    EXPECT_EQ(support.languages(), (std::vector<language_chain::language_id>{0x0409, 0x0407}));
    support.set_current_language(0x0407);
    ASSERT_TRUE(support.load_language());
    EXPECT_EQ(current_string(107), L"Kein Rechner erkannt") << "its strings are used";
    EXPECT_EQ(::GetFileAttributesW(marker.c_str()), INVALID_FILE_ATTRIBUTES) << "it never ran";

    support.unload_language();
    EXPECT_EQ(current_string(107), L"No Calculator Detected");
    EXPECT_TRUE(::DeleteFileW(folder.path(L"vantaDEU.dll").c_str())) << "it was let go";
}

// A locale, the libraries installed, and the language that must end up current: the
// language of the library that loaded (its version resource), whatever id reached it.
struct locale_case {
    language_chain::language_id locale;
    bool traditional_installed;
    language_chain::language_id loaded;
    const wchar_t* no_calculator_text;
    // German, French, Spanish, Brazilian Portuguese, Japanese and Korean installed too.
    bool more_installed = false;
};

class locales : public language_support_test, public ::testing::WithParamInterface<locale_case> {};

TEST_P(locales, the_current_language_is_the_one_of_the_library_that_loaded) {
    const locale_case& c = GetParam();
    program_folder folder(L"locale_" + std::to_wstring(c.locale) +
                          (c.traditional_installed ? L"_t" : L"") +
                          (c.more_installed ? L"_m" : L""));
    ASSERT_TRUE(folder.add_chinese());
    if (c.traditional_installed) {
        ASSERT_TRUE(folder.add_traditional_chinese());
    }
    if (c.more_installed) {
        ASSERT_TRUE(folder.add_more_languages());
    }
    language_support support(folder.program());
    support.select_startup_language(scripted({{startup_source::user_interface, c.locale}}));
    EXPECT_EQ(support.current_language(), c.loaded);
    EXPECT_EQ(current_string(107), c.no_calculator_text);

    // The Language menu lists the libraries by their version resources; the current one is
    // among them, so it gets the check mark.
    support.list_languages();
    EXPECT_TRUE(language_chain::checked_index(support.languages(), support.current_language()));
}

constexpr wchar_t traditional_no_calculator[] = L"未偵測到計算機";

INSTANTIATE_TEST_SUITE_P(
    chinese, locales,
    ::testing::Values(
        // Only Simplified installed: Traditional locales reach it through neutral Chinese.
        locale_case{0x0404, false, 0x0804, chinese_no_calculator},
        locale_case{0x0C04, false, 0x0804, chinese_no_calculator},
        locale_case{0x1004, false, 0x0804, chinese_no_calculator},
        // Traditional installed: each Traditional locale gets its own library.
        locale_case{0x0404, true, 0x0404, traditional_no_calculator},
        locale_case{0x0C04, true, 0x0C04, traditional_no_calculator},
        locale_case{0x1404, true, 0x1404, traditional_no_calculator},
        // Singapore writes Simplified Chinese.
        locale_case{0x1004, true, 0x0804, chinese_no_calculator}));

constexpr wchar_t german_no_calculator[] = L"Kein Rechner erkannt";
constexpr wchar_t french_no_calculator[] = L"Aucune calculatrice détectée";
constexpr wchar_t spanish_no_calculator[] = L"No se detectó ninguna calculadora";

// Every other translation, all installed: each locale and each related one reaches its
// language's library (related ones through the neutral form); a language without a library
// ends in the own one.
INSTANTIATE_TEST_SUITE_P(
    more, locales,
    ::testing::Values(locale_case{0x0407, true, 0x0407, german_no_calculator, true},
                      locale_case{0x0C07, true, 0x0407, german_no_calculator, true},  // Austria
                      locale_case{0x0807, true, 0x0407, german_no_calculator, true},  // Switzerland
                      locale_case{0x040C, true, 0x040C, french_no_calculator, true},
                      locale_case{0x0C0C, true, 0x040C, french_no_calculator, true},  // Canada
                      locale_case{0x0C0A, true, 0x0C0A, spanish_no_calculator, true},
                      locale_case{0x080A, true, 0x0C0A, spanish_no_calculator, true},  // Mexico
                      locale_case{0x040A, true, 0x0C0A, spanish_no_calculator, true},  // old sort
                      locale_case{0x0416, true, 0x0416, L"Nenhuma calculadora detectada", true},
                      locale_case{0x0411, true, 0x0411, L"電卓が検出されていません", true},
                      locale_case{0x0412, true, 0x0412, L"감지된 계산기 없음", true},
                      // Italian and Dutch have no library: the own language.
                      locale_case{0x0410, true, 0x0409, L"No Calculator Detected", true},
                      locale_case{0x0413, true, 0x0409, L"No Calculator Detected", true}));

TEST_F(language_support_test, without_the_library_chinese_falls_through_to_the_own_language) {
    program_folder folder(L"english_only");
    language_support support(folder.program());

    support.set_current_language(0x0C04);
    EXPECT_FALSE(support.try_language());
    EXPECT_EQ(support.current_language(), 0x0404) << "the last id tried";

    support.select_startup_language(scripted(
        {{startup_source::user_interface, 0x0804}, {startup_source::system_interface, 0x0804}}));
    EXPECT_EQ(support.current_language(), 0x0409);
    EXPECT_EQ(support.resource_library(), nullptr);
    EXPECT_EQ(current_string(107), L"No Calculator Detected");
}

TEST_F(language_support_test, start_up_takes_the_first_candidate_whose_library_loads) {
    program_folder folder(L"start_up");
    ASSERT_TRUE(folder.add_chinese());
    {
        // The user's interface language, with nothing stored.
        language_support support(folder.program());
        support.select_startup_language(scripted({{startup_source::user_interface, 0x0804}}));
        EXPECT_EQ(support.current_language(), 0x0804);
        EXPECT_NE(support.resource_library(), nullptr);
        EXPECT_EQ(current_string(107), chinese_no_calculator);
    }
    {
        // The stored choice of the own language keeps the library out.
        language_support support(folder.program());
        support.select_startup_language(
            scripted({{startup_source::stored, 0x0409}, {startup_source::user_interface, 0x0804}}));
        EXPECT_EQ(support.current_language(), 0x0409);
        EXPECT_EQ(support.resource_library(), nullptr);
    }
}

DWORD WINAPI long_path_unavailable(LPCWSTR, LPWSTR, DWORD) {
    ::SetLastError(ERROR_ACCESS_DENIED);
    return 0;
}

// Without the long form of its path the running program goes on under the path it was started
// by: it keeps its own language and still looks for its libraries.
TEST_F(language_support_test, the_running_program_keeps_its_language_without_its_long_path) {
    import_spy failing("kernel32.dll", "GetLongPathNameW",
                       reinterpret_cast<void*>(&long_path_unavailable));
    ASSERT_TRUE(failing.installed());
    wchar_t program[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameW(nullptr, program, MAX_PATH), 0u);
    language_support support;
    EXPECT_EQ(support.program_path(), program);
    EXPECT_EQ(support.own_language(), 0x0409);
    support.select_startup_language(scripted({{startup_source::user_interface, 0x0407}}));
    EXPECT_EQ(support.current_language(), 0x0409);
    support.list_languages();
    EXPECT_EQ(support.languages(), std::vector<language_chain::language_id>{0x0409});
}

TEST_F(language_support_test, a_program_without_version_resource_has_no_own_language) {
    program_folder folder(L"no_version");
    ASSERT_TRUE(folder.add(L"vanta_test_no_strings.dll", L"plain.exe"));
    ASSERT_TRUE(folder.add_chinese());
    ASSERT_TRUE(::CopyFileW(folder.path(L"vantaCHS.dll").c_str(),
                            folder.path(L"plainCHS.dll").c_str(), FALSE));
    language_support support(folder.path(L"plain.exe"));
    EXPECT_EQ(support.own_language(), 0);

    support.select_startup_language(scripted({{startup_source::user_interface, 0x0407}}));
    EXPECT_EQ(support.current_language(), 0);
    EXPECT_EQ(support.resource_library(), nullptr);

    // Its libraries are still listed, the own language is not.
    support.list_languages();
    EXPECT_EQ(support.languages(), std::vector<language_chain::language_id>{0x0804});
}

TEST_F(language_support_test, listing_offers_the_own_language_then_each_named_library) {
    program_folder folder(L"listing");
    language_support support(folder.program());
    support.list_languages();
    EXPECT_EQ(support.languages(), std::vector<language_chain::language_id>{0x0409});

    ASSERT_TRUE(folder.add_chinese());
    // Found by the search but without a language: not offered.
    ASSERT_TRUE(folder.add(L"vanta_test_no_strings.dll", L"vantaXYZ.dll"));
    // Not three characters between the program's name and ".dll": not libraries of it.
    ASSERT_TRUE(folder.add(L"vantaCHS.dll", L"vantaCHSX.dll"));
    ASSERT_TRUE(folder.add(L"vantaCHS.dll", L"vantaCH.dll"));
    ASSERT_TRUE(folder.add(L"vantaCHS.dll", L"vanta.dll"));
    // The right length, but not three letters: under Wine also the form of generated 8.3
    // aliases (such as VANTAC~1.DLL for vantaCHSX.dll), which the search matches.
    ASSERT_TRUE(folder.add(L"vantaCHS.dll", L"vantaC~1.dll"));
    ASSERT_TRUE(folder.add(L"vantaCHS.dll", L"vanta123.dll"));
    // Another copy under another abbreviation: listed, duplicates and all.
    ASSERT_TRUE(folder.add(L"vantaCHS.dll", L"vantaZHI.dll"));

    support.list_languages();
    const std::vector<language_chain::language_id> expected = {0x0409, 0x0804, 0x0804};
    EXPECT_EQ(support.languages(), expected);
}

TEST_F(language_support_test, display_names_are_the_languages_own) {
    EXPECT_EQ(language_support::language_display_name(0x0409), L"English");
    const std::wstring chinese = language_support::language_display_name(0x0804);
    EXPECT_NE(chinese.find(L"中文"), std::wstring::npos) << "native name";
    EXPECT_EQ(language_support::language_display_name(0x7F7F), L"32639 - ???");
    const std::pair<language_chain::language_id, const wchar_t*> own_names[] = {
        {0x0407, L"Deutsch"},   {0x040C, L"français"}, {0x0C0A, L"español"},
        {0x0416, L"português"}, {0x0411, L"日本語"},   {0x0412, L"한국어"}};
    for (const auto& [id, name] : own_names) {
        EXPECT_EQ(language_support::language_display_name(id), name) << id;
    }
}

// The system's own answers for the start-up candidates.
class system_languages_test : public ::testing::Test {
protected:
    saved_value stored_{vanta_key, L"LanguageId"};
    fw::profile settings_{L"Orvatec", L"Orv Vanta Kit"};
};

TEST_F(system_languages_test, stored_choice_is_a_dword_language_id_directly_in_the_key) {
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, vanta_key, L"LanguageId");
    EXPECT_EQ(system_languages::stored_language(settings_), 0) << "absent";
    ASSERT_TRUE(write_dword(vanta_key, L"LanguageId", 0x0804));
    EXPECT_EQ(system_languages::stored_language(settings_), 0x0804);
    auto query = system_languages::startup_candidates(settings_);
    EXPECT_EQ(query(startup_source::stored), 0x0804);

    ASSERT_TRUE(write_dword(vanta_key, L"LanguageId", 0x10804));
    EXPECT_EQ(system_languages::stored_language(settings_), 0) << "not a language id";
    ::RegSetKeyValueW(HKEY_CURRENT_USER, vanta_key, L"LanguageId", REG_SZ, L"2052",
                      5 * sizeof(wchar_t));
    EXPECT_EQ(system_languages::stored_language(settings_), 0) << "of another type";
}

TEST_F(system_languages_test, interface_languages_are_found_by_name_in_kernel32) {
    auto query = system_languages::startup_candidates(settings_);
    EXPECT_EQ(system_languages::user_interface_language(), ::GetUserDefaultUILanguage());
    EXPECT_EQ(system_languages::system_interface_language(), ::GetSystemDefaultUILanguage());
    EXPECT_EQ(query(startup_source::user_interface), ::GetUserDefaultUILanguage());
    EXPECT_EQ(query(startup_source::system_interface), ::GetSystemDefaultUILanguage());
    EXPECT_EQ(query(startup_source::user_default), ::GetUserDefaultLangID());
    EXPECT_EQ(query(startup_source::system_default), ::GetSystemDefaultLangID());
    EXPECT_NE(system_languages::user_interface_language(), 0);
}

TEST_F(system_languages_test, older_systems_fallbacks_read_the_registry_and_ntdll) {
    const wchar_t key[] = L"Control Panel\\Desktop\\ResourceLocale";
    ::RegDeleteTreeW(HKEY_CURRENT_USER, key);
    EXPECT_EQ(system_languages::resource_locale_language(), 0) << "absent";
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key, nullptr, REG_SZ, L"00000804", 9 * sizeof(wchar_t));
    EXPECT_EQ(system_languages::resource_locale_language(), 0x0804);
    // Not terminated in the registry: only the stored characters count.
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key, nullptr, REG_SZ, L"0407", 4 * sizeof(wchar_t));
    EXPECT_EQ(system_languages::resource_locale_language(), 0x0407);
    // Longer than the 32 bytes read: nothing.
    const std::wstring long_text(40, L'4');
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key, nullptr, REG_SZ, long_text.c_str(),
                      static_cast<DWORD>((long_text.size() + 1) * sizeof(wchar_t)));
    EXPECT_EQ(system_languages::resource_locale_language(), 0);
    const DWORD number = 0x0804;
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key, nullptr, REG_DWORD, &number, sizeof(number));
    EXPECT_EQ(system_languages::resource_locale_language(), 0) << "not a string";
    ::RegDeleteTreeW(HKEY_CURRENT_USER, key);

    // The language of a module's version resource.
    HMODULE chinese = ::LoadLibraryExW((bin_dir() + L"\\vantaCHS.dll").c_str(), nullptr,
                                       LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(chinese, nullptr);
    EXPECT_EQ(system_languages::module_language(chinese), 0x0804);
    ::FreeLibrary(chinese);
    EXPECT_EQ(system_languages::module_language(::GetModuleHandleW(nullptr)), 0x0409);
    EXPECT_EQ(system_languages::ntdll_language(),
              system_languages::module_language(::GetModuleHandleW(L"ntdll.dll")));
}

}  // namespace
}  // namespace vanta_test
