// The load-time binding vanta uses: this program links the OrvUpdateCheck_imports library, so
// the loader resolves OrvCheckForUpdateW from OrvUpdateCheck.dll by ordinal 32 before main.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/ftp_server/ftp_fixture.h"
#include "tests/update_check/product_settings.h"
#include "update_check/orv_update_check.h"

namespace {

struct import_entry {
    bool found = false;
    bool by_ordinal = false;
    WORD ordinal = 0;
    void* bound = nullptr;
};

// This program's import of OrvUpdateCheck.dll, read from its own import directory.
import_entry first_import_of_update_library() {
    import_entry result;
    auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* descriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
    for (; descriptor->Name != 0; ++descriptor) {
        const char* name = reinterpret_cast<const char*>(base + descriptor->Name);
        if (_stricmp(name, "OrvUpdateCheck.dll") != 0) continue;
        auto* lookup = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->OriginalFirstThunk);
        auto* bound = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
        result.found = lookup->u1.Ordinal != 0;
        result.by_ordinal = IMAGE_SNAP_BY_ORDINAL(lookup->u1.Ordinal);
        result.ordinal = static_cast<WORD>(IMAGE_ORDINAL(lookup->u1.Ordinal));
        result.bound = reinterpret_cast<void*>(bound->u1.Function);
        // Exactly one function comes from the library.
        if ((lookup + 1)->u1.Ordinal != 0) result.found = false;
        break;
    }
    return result;
}

TEST(ImportBinding, OrvCheckForUpdateWIsImportedByOrdinal32Only) {
    import_entry entry = first_import_of_update_library();
    ASSERT_TRUE(entry.found);
    EXPECT_TRUE(entry.by_ordinal);
    EXPECT_EQ(entry.ordinal, 32);
    HMODULE library = ::GetModuleHandleW(L"OrvUpdateCheck.dll");
    ASSERT_TRUE(library);
    EXPECT_EQ(entry.bound,
              reinterpret_cast<void*>(::GetProcAddress(library, MAKEINTRESOURCEA(32))));
    EXPECT_EQ(entry.bound,
              reinterpret_cast<void*>(::GetProcAddress(library, "OrvCheckForUpdateW")));
}

TEST(ImportBinding, TheCallReachesTheLibrary) {
    orv_test::product_settings product(0x3801);
    // Where nothing listens, so the background check that starts fails quietly.
    ASSERT_TRUE(ftp_fixture::set_update_server(L"127.0.0.1:1"));
    OrvCheckForUpdateW(product.id(), L"/pub/Orv_Import_Kit.exe", L"_1", 1, 1033);
    // A due scheduled check has created the product's key and moved its date.
    EXPECT_TRUE(product.key_exists());
    EXPECT_EQ(product.dword(L"NextUpdateDate"), orv_test::dos_date_in_days(30));
}

}  // namespace
