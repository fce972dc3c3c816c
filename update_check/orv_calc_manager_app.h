// The library's application object: knows the module that holds the library's resources, so
// that dialogs, icons and strings are loaded from OrvUpdateCheck.dll and not from the calling
// program. DllMain records the module; everything else reads it.
#pragma once

#include <windows.h>

#include <string>

class COrvCalcManagerApp {
public:
    // Called once, from DllMain, before any other code of the library runs.
    void attach(HINSTANCE module) noexcept { module_ = module; }

    HINSTANCE module() const noexcept { return module_; }

    // The application title: the library's file name without its extension ("OrvUpdateCheck"),
    // the caption of its message boxes.
    std::wstring title() const;

private:
    HINSTANCE module_ = nullptr;
};

// The one application object of the library.
COrvCalcManagerApp& the_app();
