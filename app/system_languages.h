// Where the start-up language candidates come from on this system: the stored choice in the
// program's settings, and the user's and the system's languages. The interface-language
// queries are looked up by name in kernel32.dll at run time, because older systems lack them.
// UI thread only.
#pragma once

#include <windows.h>

#include "app/language_chain.h"
#include "framework/profile.h"

namespace system_languages {

using language_chain::language_id;

// The value "LanguageId" directly in the program's key; 0 when absent, of another type, or
// not a 16-bit language id.
language_id stored_language(const fw::profile& settings);

// GetUserDefaultUILanguage; 0 when kernel32.dll lacks it.
language_id user_interface_language();

// GetSystemDefaultUILanguage; where kernel32.dll lacks it, resource_locale_language() on the
// Windows 9x family and ntdll_language() on others.
language_id system_interface_language();

// The default value of HKEY_CURRENT_USER\Control Panel\Desktop\ResourceLocale, a REG_SZ of
// hexadecimal digits (how the Windows 9x family names its interface language); 0 otherwise.
language_id resource_locale_language();

// The language of ntdll.dll's version resource (module_language); 0 when ntdll.dll is not
// loaded.
language_id ntdll_language();

// The language of `module`'s version resource (type 16, name 1): the last one the resource
// enumeration gives; 0 when it has none.
language_id module_language(HMODULE module);

// The candidates of select_startup_language for this system and `settings`.
language_chain::candidate_query startup_candidates(const fw::profile& settings);

}  // namespace system_languages
