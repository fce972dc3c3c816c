// The exported functions of OrvUpdateCheck.dll (names and ordinals in OrvUpdateCheck.def).
// Nothing may throw out of an export: each body is guarded.
#include <windows.h>

#include <string>
#include <utility>

#include "update_check/library_state.h"
#include "update_check/machine_settings.h"
#include "update_check/module_version.h"
#include "update_check/orv_calc_update_dialog.h"
#include "update_check/orv_update_check.h"
#include "update_check/query_threads.h"
#include "update_check/settings_store.h"
#include "update_check/update_schedule.h"

namespace {

using namespace orv;

constexpr std::uint16_t max_days_setting = 120;

std::wstring copy_text(const wchar_t* text) { return text ? std::wstring(text) : std::wstring(); }

std::wstring widen(const char* text) {
    if (!text || !*text) return {};
    int length = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 1) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    wide.resize(static_cast<std::size_t>(length) - 1);
    return wide;
}

std::uint16_t clamp_days(int days) {
    auto low = static_cast<std::uint16_t>(static_cast<std::uint32_t>(days) & 0xFFFF);
    return low > max_days_setting ? max_days_setting : low;
}

// The work of both check exports once the strings are wide. Everything the check works with
// comes from this call's own arguments (`end_caller` aside, see begin_check).
void check_for_update(int product_id, std::wstring server_path, std::wstring version_tag,
                      unsigned flags, std::optional<std::uint32_t> end_caller, int language_id) {
    library_state& state = library_state::instance();
    const bool background = (flags & 3) != 0;
    check_context context = state.begin_check(
        static_cast<std::uint32_t>(product_id), flags, end_caller,
        static_cast<std::uint32_t>(language_id),
        background ? std::optional<std::wstring>(server_path) : std::nullopt);
    context.version_tag = std::move(version_tag);
    if (!background) {
        OrvCalcUpdateDialog dialog(context, std::move(server_path), context.version_tag,
                                   OrvCalcUpdateDialog::interactive_mode);
        dialog.do_modal();
        return;
    }
    // A machine whose administrator switched scheduled checks off runs none, forced (0x2)
    // or not, whatever the user's own setting says: only a check the user asks for runs.
    if (!machine_allows_scheduled_checks()) return;
    const std::wstring key = context.settings_key;
    bool due = (flags & 2) != 0 || (read_setting(key, setting_auto_update_check, 1) != 0 &&
                                    (days_until_due(key) & 0xFFFF) == 0);
    if (!due) return;
    state.keep_worker(fw::worker_thread::start([context = std::move(context)]() mutable {
        return AutoCheckThreadProc(std::move(context));
    }));
    schedule_next_check(
        key, static_cast<std::uint16_t>(read_setting(key, setting_update_frequency, 30)));
}

template <typename Body>
auto guarded(Body body, decltype(body()) fallback) noexcept -> decltype(body()) {
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}

template <typename Body>
void guarded(Body body) noexcept {
    try {
        body();
    } catch (...) {
    }
}

}  // namespace

extern "C" {

void __stdcall OrvCheckForUpdateW(int product_id, const wchar_t* server_path,
                                  const wchar_t* version_tag, unsigned int flags, int language_id) {
    guarded([&] {
        check_for_update(product_id, copy_text(server_path), copy_text(version_tag), flags,
                         flags & 8, language_id);
    });
}

void __stdcall OrvCheckForUpdateA(int product_id, const char* server_path, const char* version_tag,
                                  unsigned int flags, int language_id) {
    guarded([&] {
        check_for_update(product_id, widen(server_path), widen(version_tag), flags, std::nullopt,
                         language_id);
    });
}

int __stdcall OrvGetModuleVersionStringA(char* buffer, unsigned int size) {
    return guarded([&] { return copy_version_ansi(calling_program_version(), buffer, size); }, 0);
}

unsigned int __stdcall OrvGetModuleVersionStringW(wchar_t* buffer, unsigned int size) {
    return guarded([&] { return copy_version_wide(calling_program_version(), buffer, size); }, 0u);
}

void __stdcall OrvSetAutoUpdateCheck(int product_id, int value) {
    guarded([&] {
        std::wstring key = library_state::instance().select_product(product_id);
        write_setting(key, setting_auto_update_check, static_cast<std::uint32_t>(value));
    });
}

int __stdcall OrvGetAutoUpdateCheck(int product_id) {
    return guarded(
        [&] {
            std::wstring key = library_state::instance().select_product(product_id);
            return read_setting(key, setting_auto_update_check, 1) != 0 ? 1 : 0;
        },
        1);
}

void __stdcall OrvSetUpdateFrequency(int product_id, int days) {
    guarded([&] {
        std::wstring key = library_state::instance().select_product(product_id);
        write_setting(key, setting_update_frequency, clamp_days(days));
    });
}

unsigned short __stdcall OrvGetUpdateFrequency(int product_id) {
    return guarded(
        [&] {
            std::wstring key = library_state::instance().select_product(product_id);
            return static_cast<unsigned short>(read_setting(key, setting_update_frequency, 30) &
                                               0xFFFF);
        },
        static_cast<unsigned short>(30));
}

int __stdcall OrvGetNextUpdateDays(int product_id) {
    return guarded(
        [&] {
            std::wstring key = library_state::instance().select_product(product_id);
            return static_cast<int>(days_until_due(key));
        },
        0);
}

void __stdcall OrvSetNextUpdateDays(int product_id, int days) {
    guarded([&] {
        std::wstring key = library_state::instance().select_product(product_id);
        schedule_next_check(key, clamp_days(days));
    });
}

}  // extern "C"
