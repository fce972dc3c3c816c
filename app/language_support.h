// The interface language of vanta. The program carries its US English resources itself; every
// other language comes from a resource library beside it, named after the program with the
// language's three-letter abbreviation in place of the extension (vanta.exe -> vantaCHS.dll).
// language_support chooses the language at start-up, loads its library and makes it the
// framework's resource module, and lists the languages that are installed for the Language
// menu. A library stays loaded until the object goes, or until another one replaces it.
//
// The order in which languages are tried is language_chain's; this class does the loading.
// UI thread only.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/language_chain.h"
#include "framework/unique_handle.h"

class language_support {
public:
    using language_id = language_chain::language_id;

    // For the running program (GetModuleFileNameW).
    language_support();
    // For the program at `program_path`: its own language and its libraries' names derive from
    // it. Resources still switch for this process.
    explicit language_support(std::wstring program_path);
    // Returns to the program's own resources.
    ~language_support();
    language_support(const language_support&) = delete;
    language_support& operator=(const language_support&) = delete;

    // The language of the first entry of the file's "\VarFileInfo\Translation" table; 0 when
    // the file has no version resource or no such entry.
    static language_id file_language(const std::wstring& path);

    // The language's own name for itself, else its name in the system's language, else
    // "<id> - ???".
    static std::wstring language_display_name(language_id id);
    // The language's own name of its country or region ("台灣" for 0x0404); empty when the
    // system knows none.
    static std::wstring language_region_name(language_id id);

    // Tries, in order, each candidate that `query` gives (language_chain::startup_order), then
    // the own language, and leaves the first that loads in use. Once a library has loaded, the
    // current language is the one its version resource names (see try_language).
    void select_startup_language(const language_chain::candidate_query& query);

    // The current language, else its neutral, else its default form (language_chain). When a
    // library loads, the current language becomes the language of that library's version
    // resource, which is what the update library and the Language menu are given.
    bool try_language();
    // The resources of exactly the current language: the program's own for the own language,
    // else its library, which replaces any loaded one. False, changing nothing, when the
    // language has no abbreviation or its library cannot be loaded.
    bool load_language();
    // Back to the program's own resources; frees the loaded library.
    void unload_language();

    // Refills languages(): the own language (unless 0), then the language of each library
    // found beside the program, in the order the file search gives them.
    void list_languages();
    const std::vector<language_id>& languages() const noexcept { return languages_; }

    // The library file for `id`; empty when the language has no abbreviation.
    std::wstring library_path(language_id id) const;

    const std::wstring& program_path() const noexcept { return program_path_; }
    language_id own_language() const noexcept { return own_language_; }
    language_id current_language() const noexcept { return current_language_; }
    void set_current_language(language_id id) noexcept { current_language_ = id; }
    // The loaded library, or null while the program's own resources are in use.
    HMODULE resource_library() const noexcept { return library_.get(); }

private:
    // Makes the loaded library's own language (its version resource) the current one.
    void adopt_loaded_language();

    std::vector<language_id> languages_;
    std::wstring program_path_;
    language_id own_language_ = 0;
    language_id current_language_ = 0;
    fw::unique_module library_;
};
