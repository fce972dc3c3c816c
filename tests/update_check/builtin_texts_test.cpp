// The built-in texts pick their translation by the caller's language, the Simplified Chinese
// ones must survive the trip through source encoding and compiler as the exact characters, and
// the retry text must take its number.
#include "update_check/rules/builtin_texts.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

TEST(BuiltinTexts, EveryDialogTextExists) {
    for (unsigned id = 149; id <= 165; ++id) {
        auto text = simplified_chinese_text(id);
        ASSERT_TRUE(text) << id;
        EXPECT_FALSE(text->empty()) << id;
    }
    EXPECT_FALSE(simplified_chinese_text(148));
    EXPECT_FALSE(simplified_chinese_text(166));
}

TEST(BuiltinTexts, CharactersAreExact) {
    // "检查更新": U+68C0 U+67E5 U+66F4 U+65B0.
    EXPECT_EQ(*simplified_chinese_text(161), std::wstring_view(L"\x68C0\x67E5\x66F4\x65B0"));
    // The download text ends with the ellipsis character, the connecting text with three dots.
    EXPECT_EQ(simplified_chinese_text(160)->back(), L'\x2026');
    EXPECT_EQ(simplified_chinese_text(158)->substr(simplified_chinese_text(158)->size() - 3),
              L"...");
    // The could-not-connect text quotes the button with U+201C and U+201D.
    std::wstring_view could_not = *simplified_chinese_text(153);
    EXPECT_NE(could_not.find(L"\x201C\x8054\x673A\x68C0\x67E5\x201D"), std::wstring_view::npos);
    EXPECT_EQ(could_not.find(L'"'), std::wstring_view::npos);
    EXPECT_EQ(could_not.front(), L'\x65E0');
    EXPECT_NE(could_not.find(L"\n\n"), std::wstring_view::npos);
}

TEST(BuiltinTexts, UnverifiedPackageTextIsExact) {
    // "下载的文件无法验证，未被打开。" with the full-width comma U+FF0C and stop U+3002.
    EXPECT_EQ(*simplified_chinese_text(163),
              std::wstring_view(L"\x4E0B\x8F7D\x7684\x6587\x4EF6\x65E0\x6CD5\x9A8C\x8BC1\xFF0C"
                                L"\x672A\x88AB\x6253\x5F00\x3002"));
}

TEST(BuiltinTexts, TheUnprotectedFolderTextNamesTheFolderOnce) {
    for (auto text : {*simplified_chinese_text(164), *traditional_chinese_text(164)}) {
        std::size_t at = text.find(L"%s");
        ASSERT_NE(at, std::wstring_view::npos);
        EXPECT_EQ(text.find(L'%', at + 1), std::wstring_view::npos);
    }
}

TEST(BuiltinTexts, EveryLocaleOfATranslatedLanguageGetsItsTexts) {
    // The caption of the dialog (161) names the translation; Chinese goes by exact id.
    const std::pair<std::uint32_t, std::wstring_view> rows[] = {
        {0x0407, L"Nach Updates suchen"},
        {0x0C07, L"Nach Updates suchen"},
        {0x0007, L"Nach Updates suchen"},
        {0x040C, L"Rechercher les mises à jour"},
        {0x0C0C, L"Rechercher les mises à jour"},
        {0x0C0A, L"Buscar actualizaciones"},
        {0x080A, L"Buscar actualizaciones"},
        {0x040A, L"Buscar actualizaciones"},
        {0x0416, L"Verificar se há atualizações"},
        {0x0816, L"Verificar se há atualizações"},
        {0x0411, L"更新プログラムの確認"},
        {0x0412, L"업데이트 확인"},
        {0x0804, L"检查更新"},
        {0x0C04, L"檢查更新"}};
    for (const auto& [language, caption] : rows) {
        const auto text = builtin_text(language, 161);
        ASSERT_TRUE(text) << std::hex << language;
        EXPECT_EQ(*text, caption) << std::hex << language;
    }
    // English, languages without a translation, and Chinese ids the library does not name:
    // the string table's English.
    for (std::uint32_t language : {0x0409u, 0x0809u, 0x0410u, 0x0413u, 0x0419u, 0x0004u, 0u}) {
        EXPECT_FALSE(builtin_text(language, 161)) << std::hex << language;
    }
    for (std::uint32_t language : builtin_text_languages()) {
        EXPECT_FALSE(builtin_text(language, first_dialog_text - 1)) << std::hex << language;
        EXPECT_FALSE(builtin_text(language, last_dialog_text + 1)) << std::hex << language;
        EXPECT_TRUE(builtin_text(language, last_dialog_text)) << std::hex << language;
    }
}

TEST(BuiltinTexts, SpokenTextIsOneLineWithoutOuterBreaks) {
    EXPECT_EQ(spoken_text(L"\nConnecting to server..."), L"Connecting to server...");
    EXPECT_EQ(spoken_text(L"An update is available.\n\nYou can download"),
              L"An update is available. You can download");
    EXPECT_EQ(spoken_text(L"Check Online\nbutton \r\n below\n"), L"Check Online button below");
    EXPECT_EQ(spoken_text(*simplified_chinese_text(160)),
              L"\x6B63\x5728\x4E0B\x8F7D\x6587\x4EF6\x2026");
    EXPECT_EQ(spoken_text(L"\n \n"), L"");
}

TEST(BuiltinTexts, RetryTextTakesItsNumber) {
    EXPECT_EQ(format_retry_text(L"\nConnecting to server. Retry #%i...", 2),
              L"\nConnecting to server. Retry #2...");
    EXPECT_EQ(format_retry_text(*simplified_chinese_text(156), 1),
              L"\n\x8FDE\x63A5\x5230\x670D\x52A1\x5668\x3002 \x91CD\x8BD5 #1...");
    EXPECT_EQ(format_retry_text(L"", 1), L"");
    EXPECT_EQ(format_retry_text(L"no number", 1), L"no number");
}

}  // namespace
}  // namespace orv
