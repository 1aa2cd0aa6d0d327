#pragma once
// Bounded wide-string helpers for fixed path buffers. Each returns false and
// leaves the destination NUL-terminated when the text does not fit.
#include <stddef.h>
#include <wchar.h>

inline size_t wlen(const wchar_t* s) {
  size_t n = 0;
  while (s[n]) ++n;
  return n;
}

inline bool wappend(wchar_t* dst, size_t cap, const wchar_t* src) {
  size_t n = wlen(dst);
  while (*src) {
    if (n + 1 >= cap) {
      dst[n] = 0;
      return false;
    }
    dst[n++] = *src++;
  }
  dst[n] = 0;
  return true;
}

inline bool wcopy(wchar_t* dst, size_t cap, const wchar_t* src) {
  if (cap) dst[0] = 0;
  return wappend(dst, cap, src);
}

// Makes sure the path ends with a backslash.
inline bool wend_backslash(wchar_t* dst, size_t cap) {
  size_t n = wlen(dst);
  if (n && dst[n - 1] == L'\\') return true;
  return wappend(dst, cap, L"\\");
}

// Drops trailing line breaks and blanks (system messages end with one).
inline void wtrim_end(wchar_t* s) {
  size_t n = wlen(s);
  while (n && (s[n - 1] == L'\r' || s[n - 1] == L'\n' || s[n - 1] == L' ')) s[--n] = 0;
}
