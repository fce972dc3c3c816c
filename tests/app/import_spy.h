// Watches calls that the code linked into this test program makes to a system function: the
// function's slot in the program's import table is pointed at a recorder for as long as the
// spy lives. The recorder is expected to call the real function (original()), so the system
// still does what it was asked; the test learns what was asked and when. Windows; install
// and remove spies on one thread while no other thread calls the function.
#pragma once

#include <windows.h>

namespace vanta_test {

class import_spy {
public:
    // Points every import of `function` from `library` (e.g. "user32.dll") in this program's
    // import table at `recorder`. installed() is false when the program imports no such
    // function.
    import_spy(const char* library, const char* function, void* recorder);
    ~import_spy();
    import_spy(const import_spy&) = delete;
    import_spy& operator=(const import_spy&) = delete;

    bool installed() const noexcept { return original_ != nullptr; }
    // The real function.
    void* original() const noexcept { return original_; }

private:
    void* original_ = nullptr;
    void* recorder_ = nullptr;
    const char* library_;
    const char* function_;
};

}  // namespace vanta_test
