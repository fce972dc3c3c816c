// vanta.exe: the Orv Vanta Kit program.
#include <windows.h>

#include "app/velmo_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
    return fw::win_main(the_app, instance, show_command);
}
