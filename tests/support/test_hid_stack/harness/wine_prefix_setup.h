// Settings of the shared Wine prefix for programs under test, by program file name (Wine's
// per-program "AppDefaults" keys, read when a process starts: call these before starting it).
// Windows.
#pragma once

#include <string>

namespace e2e {

// Makes `program` (a file name such as L"vanta.exe") load hid.dll and setupapi.dll from its
// own folder when it finds them there, and Wine's otherwise. A per-program key is the only
// way to get this from a test program: Wine gives a child process the WINEDLLOVERRIDES of the
// parent's Unix environment, whatever the child's Windows environment says.
bool load_test_hid_stack(const std::wstring& program);

// For windows of `program`: Wine draws their captions and frames itself, since the virtual
// display has no window manager to do it. For all programs: Chinese text falls back to the
// WenQuanYi font, and a crash ends the program without Wine's crash dialog, which nobody
// would close.
bool prepare_wine_display(const std::wstring& program);

}  // namespace e2e
