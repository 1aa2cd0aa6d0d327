#pragma once
// What the stub accepts of the texts an SFX file stores: the code page they
// are written in, and the run identifier once decoded. Portable (no
// <windows.h>): the unit tests check the same functions.
#include <stdint.h>

namespace tw {

// The code pages the maker records: the Windows ANSI code pages (Thai,
// Japanese, Chinese, Korean, Central European to Vietnamese) and UTF-8.
// Any other record would let a code page such as EBCDIC turn plain letters
// into path separators and dots.
inline bool is_recorded_code_page(uint32_t cp) {
  return cp == 874 || cp == 932 || cp == 936 || cp == 949 || cp == 950 || (cp >= 1250 && cp <= 1258) ||
         cp == 65001;
}

// The run identifier names the instance mutex and the "~sfx" folder: ten
// hexadecimal digits and nothing else.
inline bool is_run_id(const wchar_t* s) {
  int n = 0;
  for (; s[n]; ++n) {
    wchar_t c = s[n];
    if (!((c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F') || (c >= L'a' && c <= L'f'))) return false;
  }
  return n == 10;
}

}  // namespace tw
