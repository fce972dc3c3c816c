// OrvUpdateCheck.dll: finds out whether a newer package of the calling program is on the update
// server, offers it in a small dialog, downloads and opens it. Settings live per product under
// HKEY_CURRENT_USER\Software\Orvatec\UpdateCheck\<product id in lower-case hex>.
//
// All functions are __stdcall with undecorated export names and fixed ordinals (in brackets).
// None needs an earlier call, none reports an error: registry failures fall back to defaults,
// server failures are shown in the library's own dialog. Only the low 16 bits of a product id
// are used.
//
// Machine settings, 64-bit registry view: each value from the policy key
// HKEY_LOCAL_MACHINE\Software\Policies\Orvatec\UpdateCheck (Group Policy: OrvUpdateCheck.admx)
// when it is there, else from HKEY_LOCAL_MACHINE\Software\Orvatec\UpdateCheck.
// "AutoUpdateCheck" (REG_DWORD) 0 stops every background check (0x1 and 0x2) for every user
// and product, whatever the user's own setting; an interactive check still runs. "Server" names
// another update server than the vendor's, as "host", "host:port" (FTP) or
// "https://host[:port][/root]"; a value that is there but unusable makes every check fail
// without contacting anything. A downloaded package is opened only when its Authenticode
// signature holds, its signer's key is pinned (the pins built in and "TrustedPublishers"; no
// pin, or an unusable value, refuses every package), its signature's description is
// "<product> Setup" and it names the listed product and version (see package_trust.h). For an
// elevated caller it is downloaded into "OrvUpdateCheck" in ProgramData, which must be owned by
// Administrators or SYSTEM and changeable by nobody else ("AllowUnprotectedDownloadFolder" = 1
// accepts a place whose protection the system cannot show); other callers use their temporary
// directory and are told to ask an administrator when a package needs administrator rights. Each
// check first removes the downloads of earlier checks that nothing uses any more (see
// download_place.h).
//
// Background checks run on the library's own threads, which nobody waits for: a caller that
// loads the library dynamically keeps it loaded for the rest of the process.
//
// vanta links OrvCheckForUpdateW by ordinal through the CMake target OrvUpdateCheck_imports.
#pragma once

#include <wchar.h>

#ifdef __cplusplus
extern "C" {
#endif

// Flag word of the check functions.
enum {
    ORV_CHECK_SCHEDULED = 0x1,    // background check, only when the schedule says one is due
    ORV_CHECK_ALWAYS = 0x2,       // background check regardless of the schedule
    ORV_CHECK_SHOW_OPTION = 0x4,  // shows the "check automatically" box (so does 0x1 or 0x2)
    ORV_CHECK_END_CALLER = 0x8,   // end the calling process once the package has been opened
};

// [32] Interactive check (flag bits 0x1 and 0x2 clear): shows the update dialog on the calling
// thread and returns when it closes, unless the process was ended after a package was opened
// (0x8). Background check (0x1 when due, or 0x2): starts a worker thread, moves the product's
// next check date forward and returns at once; the worker shows the dialog only if it finds a
// package. `language_id` chooses the texts: 2052 Simplified Chinese; 1028, 3076 and 5124
// Traditional Chinese; German, French, Spanish, Brazilian Portuguese, Japanese and Korean for
// every id of their primary language (0x07, 0x0C, 0x0A, 0x16, 0x11, 0x12); English for every
// other language. Null strings count as empty. Call from a thread that can run a modal dialog.
void __stdcall OrvCheckForUpdateW(int product_id, const wchar_t* server_path,
                                  const wchar_t* version_tag, unsigned int flags, int language_id);

// [33] The same with ANSI strings. Bit 0x8 is ignored: ending the caller stays as the last
// OrvCheckForUpdateW call in the process set it.
void __stdcall OrvCheckForUpdateA(int product_id, const char* server_path, const char* version_tag,
                                  unsigned int flags, int language_id);

// [42] The calling program's file version as "a.b.c.d" in the ANSI code page. Without a buffer:
// the bytes needed including the terminator, plus 2. With one: the bytes written including the
// terminator, or 0 when `size` is too small. 0 when the program has no version resource.
int __stdcall OrvGetModuleVersionStringA(char* buffer, unsigned int size);

// [43] The same as wide characters: returns the full length in characters (without
// terminator) and copies as much as fits, always terminated. 0, buffer untouched, when the
// program has no version resource.
unsigned int __stdcall OrvGetModuleVersionStringW(wchar_t* buffer, unsigned int size);

// [44] Allows (non-zero) or forbids (0) scheduled checks of the product.
void __stdcall OrvSetAutoUpdateCheck(int product_id, int value);

// [45] 1 if scheduled checks are allowed (the default), else 0.
int __stdcall OrvGetAutoUpdateCheck(int product_id);

// [46] Days between scheduled checks, at most 120.
void __stdcall OrvSetUpdateFrequency(int product_id, int days);

// [47] Days between scheduled checks (30 by default).
unsigned short __stdcall OrvGetUpdateFrequency(int product_id);

// [48] Whole days until the next scheduled check is due; 0 when due.
int __stdcall OrvGetNextUpdateDays(int product_id);

// [49] Makes the next scheduled check due in `days` days (at most 120; 0 means today).
void __stdcall OrvSetNextUpdateDays(int product_id, int days);

#ifdef __cplusplus
}
#endif
