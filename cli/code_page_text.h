#pragma once
// Names, parameters and custom folders in an SFX file are bytes of the code
// page it records. Decoding is exact: bytes that are no text in the code
// page are refused, never approximated.
#include <stdint.h>

namespace tw::cli {

// The characters of n stored bytes (at most cap), or -1.
int decode_code_page(uint32_t codepage, const unsigned char* in, uint32_t n, wchar_t* out, uint32_t cap);

// The code page of an SFX file that records none: it was made in its
// maker's ANSI code page, taken to be this system's (1252 where there is
// none).
uint32_t default_code_page();

}  // namespace tw::cli
