// vanta.exe: the Orv Vanta Kit program.
#include <windows.h>

#include "app/velmo_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
    // The working directory is wherever the program was started from (it holds the version
    // file and Updater.exe): no library that vanta loads itself is looked for there.
    ::SetDllDirectoryW(L"");
    return fw::win_main(the_app, instance, show_command);
}
