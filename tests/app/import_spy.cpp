#include "tests/app/import_spy.h"

#include <cstring>

namespace vanta_test {
namespace {

// Replaces every import table slot of `library`!`function` that holds `from` (any value when
// `from` is null) with `to`; returns the first value replaced.
void* swap_imports(const char* library, const char* function, void* from, void* to) {
    auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    void* replaced = nullptr;
    auto* descriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
    for (; imports.VirtualAddress != 0 && descriptor->Name != 0; ++descriptor) {
        if (::lstrcmpiA(reinterpret_cast<const char*>(base + descriptor->Name), library) != 0) {
            continue;
        }
        const DWORD lookup = descriptor->OriginalFirstThunk ? descriptor->OriginalFirstThunk
                                                            : descriptor->FirstThunk;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + lookup);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* name =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(name->Name), function) != 0) continue;
            void* current = reinterpret_cast<void*>(slots->u1.Function);
            if (from && current != from) continue;
            DWORD protection = 0;
            ::VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE,
                             &protection);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(to);
            ::VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), protection,
                             &protection);
            if (!replaced) replaced = current;
        }
    }
    return replaced;
}

}  // namespace

import_spy::import_spy(const char* library, const char* function, void* recorder)
    : recorder_(recorder), library_(library), function_(function) {
    original_ = swap_imports(library, function, nullptr, recorder);
}

import_spy::~import_spy() {
    if (original_) swap_imports(library_, function_, recorder_, original_);
}

}  // namespace vanta_test
