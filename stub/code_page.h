#pragma once
// The code page of the names and texts stored in the SFX file. The maker
// records it as the resource RCDATA "CODEPAGE" (4 bytes, little-endian);
// an SFX file without it was made in the system's code page.
#include <windows.h>

// The recorded code page, the system's without a record; 0 when the record
// is cut short or names a code page the maker never records (damage).
UINT stored_code_page();

// Decodes a NUL-terminated stored text into out (cap characters, the text
// always fits: no character takes less than one byte). False for bytes that
// are no text in the code page: nothing is ever read as a replacement
// character.
bool decode_stored_text(UINT code_page, const char* text, wchar_t* out, int cap);
