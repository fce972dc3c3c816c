// Entry point of OrvUpdateCheck.dll. Kept to recording the module handle: the loader lock is
// held here, and everything else is set up on first use.
#include <windows.h>

#include "update_check/orv_calc_manager_app.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) the_app().attach(module);
    return TRUE;
}
