// The file version of the calling program, for the version-string exports. Any thread.
#pragma once

#include <string>

namespace orv {

// "a.b.c.d" from the fixed file information of the process's executable; empty when it has no
// version resource (or no translation table).
std::wstring calling_program_version();

// Copies `text` into `buffer` of `size` characters, cutting it short and terminating it when
// it does not fit. Returns the text's full length; a null buffer or size 0 copies nothing.
unsigned copy_version_wide(const std::wstring& text, wchar_t* buffer, unsigned size);

// The text in the ANSI code page. Without a buffer (or with size 0): the bytes the text needs
// with its terminator, plus 2. With one: the bytes written with the terminator, or 0 when they
// do not fit in `size`. 0 for an empty text.
int copy_version_ansi(const std::wstring& text, char* buffer, unsigned size);

}  // namespace orv
