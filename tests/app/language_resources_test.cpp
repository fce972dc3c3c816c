// Each language library (vantaCHS.dll, the Traditional vantaCHT.dll, vantaZHH.dll and
// vantaZHM.dll, and vantaDEU, FRA, ESN, PTB, JPN and KOR) against the program it translates: a
// resource-only library naming its language, with every string, menu item, accelerator and dialog
// control of vanta.exe under the same id, translated, and with the same printf conversions in every
// string (the program formats them with its own arguments).
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/language_support.h"
#include "tests/app/language_fixture.h"

namespace vanta_test {
namespace {

// Texts that name products or files, or that many languages write as English does ("OK", the
// keyboard's indicators), and may stay as they are.
bool untranslatable(const std::wstring& text) {
    static const std::set<std::wstring> kept = {L"Orv Vanta Kit",
                                                L"Ver Info",
                                                L"OK",
                                                L"CAP",
                                                L"NUM",
                                                L"SCRL",
                                                L"Copyright (C) 2012 Orvatec"};
    return text.empty() || kept.count(text) ||
           text.find_first_of(L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ") ==
               std::wstring::npos;
}

BOOL CALLBACK note_name(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR data) {
    if (IS_INTRESOURCE(name)) {
        reinterpret_cast<std::set<UINT>*>(data)->insert(
            static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
    }
    return TRUE;
}

class resource_file {
public:
    explicit resource_file(const std::wstring& path)
        : module_(::LoadLibraryExW(path.c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    ~resource_file() {
        if (module_) ::FreeLibrary(module_);
    }
    resource_file(const resource_file&) = delete;
    resource_file& operator=(const resource_file&) = delete;

    HMODULE get() const { return module_; }

    // Every string of the table, by id.
    std::map<UINT, std::wstring> strings() const {
        std::map<UINT, std::wstring> found;
        for (UINT block : names(RT_STRING)) {
            for (UINT id = (block - 1) * 16; id < block * 16; ++id) {
                const wchar_t* text = nullptr;
                int length = ::LoadStringW(module_, id, reinterpret_cast<LPWSTR>(&text), 0);
                if (length > 0) found[id] = std::wstring(text, length);
            }
        }
        return found;
    }

    // Numeric resource names of `type`.
    std::set<UINT> names(LPCWSTR type) const {
        std::set<UINT> found;
        ::EnumResourceNamesW(module_, type, &note_name, reinterpret_cast<LONG_PTR>(&found));
        return found;
    }

private:
    HMODULE module_;
};

// "id:text" of every item of a menu, submenus indented, in order.
void flatten_menu(HMENU menu, const std::wstring& indent, std::vector<std::wstring>& ids,
                  std::vector<std::wstring>& texts) {
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        wchar_t text[256] = {};
        ::GetMenuStringW(menu, i, text, 256, MF_BYPOSITION);
        HMENU sub = ::GetSubMenu(menu, i);
        ids.push_back(indent + std::to_wstring(sub ? 0 : ::GetMenuItemID(menu, i)));
        texts.push_back(text);
        if (sub) flatten_menu(sub, indent + L"  ", ids, texts);
    }
}

struct dialog_shape {
    std::wstring caption;
    LONG font_height = 0;
    std::vector<std::wstring> controls;  // "id class"
    std::vector<std::wstring> texts;
};

INT_PTR CALLBACK quiet_dialog(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

BOOL CALLBACK note_control(HWND control, LPARAM data) {
    auto* shape = reinterpret_cast<dialog_shape*>(data);
    wchar_t class_name[64] = {}, text[512] = {};
    ::GetClassNameW(control, class_name, 64);
    ::GetWindowTextW(control, text, 512);
    shape->controls.push_back(std::to_wstring(::GetDlgCtrlID(control)) + L" " + class_name);
    shape->texts.push_back(text);
    return TRUE;
}

// The dialog as the dialog manager builds it from the template (never shown).
dialog_shape shape_of(HMODULE module, UINT id) {
    dialog_shape shape;
    HWND dialog = ::CreateDialogParamW(module, MAKEINTRESOURCEW(id), nullptr, &quiet_dialog, 0);
    if (!dialog) return shape;
    wchar_t caption[256] = {};
    ::GetWindowTextW(dialog, caption, 256);
    shape.caption = caption;
    LOGFONTW font{};
    if (HFONT used = reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0))) {
        ::GetObjectW(used, sizeof(font), &font);
        shape.font_height = font.lfHeight;
    }
    ::EnumChildWindows(dialog, &note_control, reinterpret_cast<LPARAM>(&shape));
    ::DestroyWindow(dialog);
    return shape;
}

// The printf conversions of a text, in order ("%0.2d", "%s", ...).
std::vector<std::wstring> conversions(const std::wstring& text) {
    std::vector<std::wstring> found;
    for (std::size_t i = text.find(L'%'); i != std::wstring::npos; i = text.find(L'%', i)) {
        std::size_t end = text.find_first_of(L"diouxXcsSpfeEgG%", i + 1);
        if (end == std::wstring::npos) break;
        found.push_back(text.substr(i, end - i + 1));
        i = end + 1;
    }
    return found;
}

struct language_library {
    const wchar_t* file;
    WORD language;
    const wchar_t* updater_not_started;  // string 134
    int font_points = 9;                 // of its dialogs
};

class language_resources : public ::testing::TestWithParam<language_library> {
protected:
    std::wstring library_path_ = bin_dir() + L"\\" + GetParam().file;
    resource_file english_{bin_dir() + L"\\vanta.exe"};
    resource_file library_{library_path_};
};

TEST_P(language_resources, library_is_resources_only_and_names_its_language) {
    ASSERT_TRUE(english_.get());
    ASSERT_TRUE(library_.get());
    EXPECT_EQ(language_support::file_language(library_path_), GetParam().language);

    // No entry point and no imports: loading it runs nothing.
    auto* base =
        reinterpret_cast<const BYTE*>(reinterpret_cast<ULONG_PTR>(library_.get()) & ~ULONG_PTR{3});
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    EXPECT_EQ(nt->OptionalHeader.AddressOfEntryPoint, 0u);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress != 0) {
        auto* first =
            reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
        EXPECT_EQ(first->Name, 0u) << "the import table names a DLL";
    }
    EXPECT_TRUE(nt->FileHeader.Characteristics & IMAGE_FILE_DLL);
}

TEST_P(language_resources, every_string_is_there_translated_with_the_same_conversions) {
    const std::map<UINT, std::wstring> english = english_.strings();
    const std::map<UINT, std::wstring> chinese = library_.strings();
    ASSERT_FALSE(english.empty());
    for (const auto& [id, text] : english) {
        auto found = chinese.find(id);
        if (found == chinese.end()) {
            ADD_FAILURE() << "string " << id << " is missing";
            continue;
        }
        if (!untranslatable(text)) {
            EXPECT_NE(found->second, text) << "string " << id;
        }
        EXPECT_EQ(conversions(found->second), conversions(text)) << "string " << id;
    }
    for (const auto& [id, text] : chinese) {
        EXPECT_TRUE(english.count(id)) << "string " << id << " is not the program's";
    }
    EXPECT_EQ(chinese.count(134) ? chinese.at(134) : L"", GetParam().updater_not_started);
    // The template string keeps its fields: the program and the registry read them.
    const std::wstring type = chinese.count(130) ? chinese.at(130) : L"";
    EXPECT_EQ(std::count(type.begin(), type.end(), L'\n'), 6);
    EXPECT_NE(type.find(L"\n.CalcProj\nCalcProj\nCalcProj"), std::wstring::npos);
}

TEST_P(language_resources, menus_and_accelerators_have_the_same_ids_and_translated_texts) {
    EXPECT_EQ(library_.names(RT_MENU), english_.names(RT_MENU));
    EXPECT_EQ(library_.names(RT_ACCELERATOR), english_.names(RT_ACCELERATOR));
    EXPECT_EQ(library_.names(RT_GROUP_ICON), english_.names(RT_GROUP_ICON));
    for (UINT id : english_.names(RT_MENU)) {
        HMENU english_menu = ::LoadMenuW(english_.get(), MAKEINTRESOURCEW(id));
        HMENU chinese_menu = ::LoadMenuW(library_.get(), MAKEINTRESOURCEW(id));
        ASSERT_TRUE(english_menu && chinese_menu) << "menu " << id;
        std::vector<std::wstring> english_ids, english_texts, chinese_ids, chinese_texts;
        flatten_menu(english_menu, L"", english_ids, english_texts);
        flatten_menu(chinese_menu, L"", chinese_ids, chinese_texts);
        EXPECT_EQ(chinese_ids, english_ids) << "menu " << id;
        for (std::size_t i = 0; i < english_texts.size() && i < chinese_texts.size(); ++i) {
            if (!untranslatable(english_texts[i])) {
                EXPECT_NE(chinese_texts[i], english_texts[i]) << "menu " << id;
            }
        }
        ::DestroyMenu(english_menu);
        ::DestroyMenu(chinese_menu);
    }
    for (UINT id : english_.names(RT_ACCELERATOR)) {
        ACCEL english[64] = {}, chinese[64] = {};
        HACCEL e = ::LoadAcceleratorsW(english_.get(), MAKEINTRESOURCEW(id));
        HACCEL c = ::LoadAcceleratorsW(library_.get(), MAKEINTRESOURCEW(id));
        const int count = ::CopyAcceleratorTableW(e, english, 64);
        ASSERT_EQ(::CopyAcceleratorTableW(c, chinese, 64), count);
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(chinese[i].cmd, english[i].cmd);
            EXPECT_EQ(chinese[i].key, english[i].key);
            EXPECT_EQ(chinese[i].fVirt, english[i].fVirt);
        }
    }
}

TEST_P(language_resources, dialogs_have_the_same_controls_and_translated_texts) {
    const std::set<UINT> dialogs = english_.names(RT_DIALOG);
    EXPECT_EQ(library_.names(RT_DIALOG), dialogs);
    EXPECT_TRUE(dialogs.count(100)) << "the About box";
    for (UINT id : dialogs) {
        const dialog_shape english = shape_of(english_.get(), id);
        const dialog_shape chinese = shape_of(library_.get(), id);
        ASSERT_FALSE(english.controls.empty()) << "dialog " << id;
        EXPECT_EQ(chinese.controls, english.controls) << "dialog " << id;
        EXPECT_NE(chinese.caption, english.caption) << "dialog " << id;
        // Chinese, Japanese and Korean dialogs use 9 points where the others use 8.
        HDC screen = ::GetDC(nullptr);
        EXPECT_EQ(chinese.font_height,
                  -::MulDiv(GetParam().font_points, ::GetDeviceCaps(screen, LOGPIXELSY), 72))
            << "dialog " << id;
        ::ReleaseDC(nullptr, screen);
        for (std::size_t i = 0; i < english.texts.size() && i < chinese.texts.size(); ++i) {
            if (!untranslatable(english.texts[i])) {
                EXPECT_NE(chinese.texts[i], english.texts[i])
                    << "dialog " << id << " control " << english.controls[i];
            }
        }
    }
}

// The Traditional translation is written in Traditional characters throughout: none of the
// Simplified forms of the words it uses may slip in.
TEST_P(language_resources, traditional_texts_use_no_simplified_characters) {
    if ((GetParam().language & 0x3FF) != 0x04 || GetParam().language == 0x0804) {
        GTEST_SKIP() << "not Traditional Chinese";
    }
    const std::wstring simplified = L"检测计软档说关语确数滚题项无请启动应载线连级";
    for (const auto& [id, text] : library_.strings()) {
        EXPECT_EQ(text.find_first_of(simplified), std::wstring::npos) << "string " << id;
    }
    HMENU menu = ::LoadMenuW(library_.get(), MAKEINTRESOURCEW(128));
    ASSERT_TRUE(menu);
    std::vector<std::wstring> ids, texts;
    flatten_menu(menu, L"", ids, texts);
    ::DestroyMenu(menu);
    for (const std::wstring& text : texts) {
        EXPECT_EQ(text.find_first_of(simplified), std::wstring::npos) << "menu item";
    }
}

INSTANTIATE_TEST_SUITE_P(
    libraries, language_resources,
    ::testing::Values(
        language_library{L"vantaCHS.dll", 0x0804, L"无法启动 Updater.exe。"},
        language_library{L"vantaCHT.dll", 0x0404, L"無法啟動 Updater.exe。"},
        language_library{L"vantaZHH.dll", 0x0C04, L"無法啟動 Updater.exe。"},
        language_library{L"vantaZHM.dll", 0x1404, L"無法啟動 Updater.exe。"},
        language_library{L"vantaDEU.dll", 0x0407, L"Updater.exe konnte nicht gestartet werden.", 8},
        language_library{L"vantaFRA.dll", 0x040C, L"Impossible de démarrer Updater.exe.", 8},
        language_library{L"vantaESN.dll", 0x0C0A, L"No se pudo iniciar Updater.exe.", 8},
        language_library{L"vantaPTB.dll", 0x0416, L"Não foi possível iniciar o Updater.exe.", 8},
        language_library{L"vantaJPN.dll", 0x0411, L"Updater.exe を起動できませんでした。"},
        language_library{L"vantaKOR.dll", 0x0412, L"Updater.exe를 시작할 수 없습니다."}));

}  // namespace
}  // namespace vanta_test
