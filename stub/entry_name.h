#pragma once
// Which record names the stub accepts. A name is a path relative to the
// extraction folder; anything that could reach outside that folder, or that
// Windows would read as something other than a plain file name, marks the
// container as damaged:
//   - an empty name, a leading "\" or "/" (root of the drive, UNC path);
//   - a ":" anywhere (a drive such as "C:" or an alternate data stream);
//   - an empty component ("a\\b"), or a trailing separator on a file;
//   - a component made only of dots and blanks ("..", ".", "..."), which
//     Windows folds into the parent or the folder itself;
//   - a device name as a component ("CON", "nul.txt", "COM1", "LPT9", ...;
//     Windows counts the superscript digits of "COM¹", "LPT²" and "COM³"
//     as port numbers too).
// Portable (no <windows.h>): templated on the character type so that the
// stub checks the converted UTF-16 name and the unit tests plain text.
#include <stddef.h>

namespace tw {

template <class Ch>
inline Ch ascii_upper(Ch c) {
  return (c >= Ch('a') && c <= Ch('z')) ? Ch(c - 'a' + 'A') : c;
}

// True when the n characters at s equal the upper-case ASCII text word.
template <class Ch>
inline bool same_word(const Ch* s, size_t n, const char* word) {
  size_t i = 0;
  for (; i < n; ++i) {
    if (!word[i] || ascii_upper(s[i]) != Ch(word[i])) return false;
  }
  return word[i] == 0;
}

// A port number: 0-9, or superscript one, two or three (U+00B9, U+00B2,
// U+00B3; in single-byte code pages such as 1252 the bytes of the same
// values).
template <class Ch>
inline bool is_port_digit(Ch c) {
  unsigned long u = static_cast<unsigned long>(c) & (sizeof(Ch) == 1 ? 0xFFul : ~0ul);
  return (u >= '0' && u <= '9') || u == 0xB9 || u == 0xB2 || u == 0xB3;
}

// Device names are matched on the part before the first dot, trailing
// blanks dropped: "con", "CON.txt" and "Con .log" all open the console.
template <class Ch>
inline bool is_device_name(const Ch* s, size_t n) {
  size_t base = 0;
  while (base < n && s[base] != Ch('.')) ++base;
  while (base && s[base - 1] == Ch(' ')) --base;
  static const char* const kNames[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
  for (const char* name : kNames) {
    if (same_word(s, base, name)) return true;
  }
  if (base == 4 && is_port_digit(s[3])) {
    return same_word(s, 3, "COM") || same_word(s, 3, "LPT");
  }
  return false;
}

template <class Ch>
inline bool is_safe_component(const Ch* s, size_t n) {
  if (n == 0) return false;
  bool only_dots = true;
  for (size_t i = 0; i < n; ++i) {
    if (s[i] != Ch('.') && s[i] != Ch(' ')) only_dots = false;
  }
  return !only_dots && !is_device_name(s, n);
}

// name holds n characters (no terminator needed). directory: the record is a
// folder, which may end with one separator.
template <class Ch>
bool is_safe_entry_name(const Ch* name, size_t n, bool directory) {
  if (n == 0 || name[0] == Ch('\\') || name[0] == Ch('/')) return false;
  if (directory && (name[n - 1] == Ch('\\') || name[n - 1] == Ch('/'))) --n;
  size_t start = 0;
  for (size_t i = 0; i <= n; ++i) {
    if (i < n && name[i] == Ch(':')) return false;
    if (i < n && name[i] == 0) return false;
    if (i == n || name[i] == Ch('\\') || name[i] == Ch('/')) {
      if (!is_safe_component(name + start, i - start)) return false;
      start = i + 1;
    }
  }
  return true;
}

}  // namespace tw
