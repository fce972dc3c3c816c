#include "tests/update_check/orv_library.h"

namespace orv_test {
namespace {

template <typename Fn>
void resolve(HMODULE module, WORD ordinal, Fn& target) {
    target = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(::GetProcAddress(module, MAKEINTRESOURCEA(ordinal))));
}

orv_library load() {
    orv_library lib;
    lib.module = ::LoadLibraryW(L"OrvUpdateCheck.dll");
    if (!lib.module) return lib;
    resolve(lib.module, 32, lib.check_w);
    resolve(lib.module, 33, lib.check_a);
    resolve(lib.module, 42, lib.version_a);
    resolve(lib.module, 43, lib.version_w);
    resolve(lib.module, 44, lib.set_auto_check);
    resolve(lib.module, 45, lib.get_auto_check);
    resolve(lib.module, 46, lib.set_frequency);
    resolve(lib.module, 47, lib.get_frequency);
    resolve(lib.module, 48, lib.get_next_days);
    resolve(lib.module, 49, lib.set_next_days);
    return lib;
}

}  // namespace

bool orv_library::complete() const {
    return module && check_w && check_a && version_a && version_w && set_auto_check &&
           get_auto_check && set_frequency && get_frequency && get_next_days && set_next_days;
}

const orv_library& library() {
    static const orv_library lib = load();
    return lib;
}

}  // namespace orv_test
