#include "update_check/status_announcement.h"

#include <oleauto.h>

#include "framework/first_use_imports.h"
#include "update_check/rules/builtin_texts.h"

namespace orv {
namespace {

// From uiautomationcore.h (not in every SDK's headers): a status line that replaces the one
// before it, to be read as soon as possible.
constexpr int notification_kind_other = 4;
constexpr int notification_processing_important_most_recent = 1;
constexpr wchar_t activity_id[] = L"OrvUpdateCheck.Status";

// The provider is an IRawElementProviderSimple; only its IUnknown part is used here.
using host_provider_function = HRESULT(WINAPI*)(HWND, IUnknown**);
using notification_function = HRESULT(WINAPI*)(IUnknown*, int, int, BSTR, BSTR);
using clients_listening_function = BOOL(WINAPI*)();
using allocate_string_function = BSTR(WINAPI*)(const OLECHAR*);
using free_string_function = void(WINAPI*)(BSTR);

struct automation_functions {
    host_provider_function host_provider = nullptr;
    notification_function raise_notification = nullptr;
    clients_listening_function clients_listening = nullptr;
    allocate_string_function allocate_string = nullptr;
    free_string_function free_string = nullptr;

    bool complete() const {
        return host_provider && raise_notification && allocate_string && free_string;
    }
};

automation_functions bind_automation() {
    automation_functions bound;
    constexpr wchar_t core[] = L"uiautomationcore.dll";
    bound.raise_notification = reinterpret_cast<notification_function>(
        fw::system_function(core, "UiaRaiseNotificationEvent"));
    if (!bound.raise_notification) return bound;
    bound.host_provider = reinterpret_cast<host_provider_function>(
        fw::system_function(core, "UiaHostProviderFromHwnd"));
    bound.clients_listening = reinterpret_cast<clients_listening_function>(
        fw::system_function(core, "UiaClientsAreListening"));
    bound.allocate_string = reinterpret_cast<allocate_string_function>(
        fw::system_function(L"oleaut32.dll", "SysAllocString"));
    bound.free_string = reinterpret_cast<free_string_function>(
        fw::system_function(L"oleaut32.dll", "SysFreeString"));
    return bound;
}

// Bound once per process, by whichever dialog thread announces first.
const automation_functions& automation() {
    static const automation_functions functions = bind_automation();
    return functions;
}

void raise_automation_notification(HWND status_control, const std::wstring& text) {
    const automation_functions& uia = automation();
    if (!uia.complete()) return;
    if (uia.clients_listening && !uia.clients_listening()) return;
    IUnknown* provider = nullptr;
    if (FAILED(uia.host_provider(status_control, &provider)) || !provider) return;
    BSTR spoken = uia.allocate_string(text.c_str());
    BSTR activity = uia.allocate_string(activity_id);
    if (spoken && activity) {
        uia.raise_notification(provider, notification_kind_other,
                               notification_processing_important_most_recent, spoken, activity);
    }
    uia.free_string(activity);
    uia.free_string(spoken);
    provider->Release();
}

}  // namespace

void announce_status(HWND status_control, const std::wstring& text) {
    if (!status_control) return;
    ::NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, status_control, OBJID_CLIENT, CHILDID_SELF);
    raise_automation_notification(status_control, spoken_text(text));
}

}  // namespace orv
