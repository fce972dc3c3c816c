#include "update_check/rules/builtin_texts.h"

#include <array>
#include <utility>

#include "update_check/rules/builtin_translations.h"

namespace orv {
namespace {

// Source file in UTF-8. Mind the exact characters: 153 uses the Chinese quotation marks
// U+201C and U+201D, 160 ends with the ellipsis U+2026 while 156 and 158 end with three dots.
constexpr std::array<std::pair<unsigned, std::wstring_view>, 17> chinese_texts = {{
    {149, L"立即更新"},
    {150, L"暂不更新"},
    {151, L"更新可用。\n\n您现在可以下载并安装新版本。"},
    {152, L"联机检查"},
    {153,
     L"无法连接到更新服务器。\n\n请检查您的 Internet "
     L"连接，或单击下面的“联机检查”\n按钮，在 Web 浏览器中手动检查更新。"},
    {154, L"完成"},
    {155, L"当前无可用更新。"},
    {156, L"\n连接到服务器。 重试 #%i..."},
    {157, L"取消"},
    {158, L"\n正在连接到服务器..."},
    {159, L"错误"},
    {160, L"\n正在下载文件…"},
    {161, L"检查更新"},
    {162, L"自动检查更新"},
    {163, L"下载的文件无法验证，未被打开。"},
    {164,
     L"未下载更新，因为其文件夹未受保护：\n%s\n\n请管理员删除此文件夹。下次检查时会重新创建它，"
     L"且只有管理员可以更改。"},
    {165, L"安装此更新需要管理员权限。请让管理员安装，或以管理员身份运行本程序后再次检查。"},
}};

// Traditional Chinese in the wording of Taiwan and Hong Kong, with the corner brackets
// U+300C and U+300D where the Simplified text quotes.
constexpr std::array<std::pair<unsigned, std::wstring_view>, 17> traditional_texts = {{
    {149, L"立即更新"},
    {150, L"暫不更新"},
    {151, L"有可用的更新。\n\n您現在可以下載並安裝新版本。"},
    {152, L"線上檢查"},
    {153,
     L"無法連線到更新伺服器。\n\n請檢查您的網際網路連線，或按一下下方的「線上檢查」\n按鈕，"
     L"在網頁瀏覽器中手動檢查更新。"},
    {154, L"完成"},
    {155, L"目前沒有可用的更新。"},
    {156, L"\n連線到伺服器。 重試 #%i..."},
    {157, L"取消"},
    {158, L"\n正在連線到伺服器..."},
    {159, L"錯誤"},
    {160, L"\n正在下載檔案…"},
    {161, L"檢查更新"},
    {162, L"自動檢查更新"},
    {163, L"下載的檔案無法驗證，因此未開啟。"},
    {164,
     L"未下載更新，因為其資料夾未受保護：\n%s\n\n請系統管理員刪除此資料夾。下次檢查時會重新建立它，"
     L"且只有系統管理員可以變更。"},
    {165,
     L"安裝此更新需要系統管理員權限。請洽系統管理員安裝，或以系統管理員身分執行本程式後再檢查一次"
     L"。"},
}};

// Bits 0 to 9 of a language id: its primary language.
constexpr std::uint32_t primary_language_mask = 0x3FF;

template <typename Table>
std::optional<std::wstring_view> find_text(const Table& table, unsigned id) {
    for (const auto& [text_id, text] : table) {
        if (text_id == id) return text;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::wstring_view> simplified_chinese_text(unsigned id) {
    return find_text(chinese_texts, id);
}

std::optional<std::wstring_view> traditional_chinese_text(unsigned id) {
    return find_text(traditional_texts, id);
}

std::optional<std::wstring_view> builtin_text(std::uint32_t language_id, unsigned id) {
    switch (language_id) {
        case language_simplified_chinese:
            return simplified_chinese_text(id);
        case language_traditional_chinese_taiwan:
        case language_traditional_chinese_hong_kong:
        case language_traditional_chinese_macau:
            return traditional_chinese_text(id);
        default:
            break;
    }
    // The other translations serve every locale of their language: the caller may pass the
    // neutral form, or a country the translation does not name.
    static constexpr std::pair<std::uint32_t, const translations::text_table*> by_language[] = {
        {language_german, &translations::german},
        {language_french, &translations::french},
        {language_spanish, &translations::spanish},
        {language_portuguese_brazil, &translations::portuguese_brazil},
        {language_japanese, &translations::japanese},
        {language_korean, &translations::korean}};
    for (const auto& [language, table] : by_language) {
        if ((language_id & primary_language_mask) == (language & primary_language_mask)) {
            return find_text(*table, id);
        }
    }
    return std::nullopt;
}

std::span<const std::uint32_t> builtin_text_languages() {
    static constexpr std::uint32_t languages[] = {language_simplified_chinese,
                                                  language_traditional_chinese_taiwan,
                                                  language_german,
                                                  language_french,
                                                  language_spanish,
                                                  language_portuguese_brazil,
                                                  language_japanese,
                                                  language_korean};
    return languages;
}

std::wstring format_retry_text(std::wstring_view pattern, int number) {
    std::wstring text(pattern);
    std::size_t at = text.find(L"%i");
    if (at != std::wstring::npos) text.replace(at, 2, std::to_wstring(number));
    return text;
}

std::wstring spoken_text(std::wstring_view text) {
    std::wstring spoken;
    bool gap = false;
    for (wchar_t c : text) {
        if (c == L'\n' || c == L'\r' || c == L' ' || c == L'\t') {
            gap = true;
            continue;
        }
        if (gap && !spoken.empty()) spoken += L' ';
        gap = false;
        spoken += c;
    }
    return spoken;
}

}  // namespace orv
