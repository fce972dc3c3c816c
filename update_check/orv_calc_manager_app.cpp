#include "update_check/orv_calc_manager_app.h"

#include <shlwapi.h>

COrvCalcManagerApp& the_app() {
    static COrvCalcManagerApp app;
    return app;
}

std::wstring COrvCalcManagerApp::title() const {
    wchar_t path[MAX_PATH] = {};
    if (!module_ || !::GetModuleFileNameW(module_, path, MAX_PATH)) return L"OrvUpdateCheck";
    ::PathRemoveExtensionW(path);
    return ::PathFindFileNameW(path);
}
