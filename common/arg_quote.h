#pragma once
// Quotes one argument so that a program splitting its command line by the
// usual Windows rules receives it unchanged: backslashes are doubled where
// they come before a quote (including the closing one) and quotes are
// escaped. Every argument is enclosed in double quotes.
#include <stddef.h>

namespace tw {

// Appends the quoted argument to out at *pos (out holds cap characters
// including the NUL). Returns false, leaving out NUL-terminated at the old
// position, when it does not fit.
template <class Ch>
bool append_quoted_arg(Ch* out, size_t cap, size_t* pos, const Ch* arg) {
  size_t n = *pos;
  auto put = [&](Ch c) {
    if (n + 1 >= cap) return false;
    out[n++] = c;
    return true;
  };
  bool ok = put(Ch('"'));
  for (const Ch* s = arg; ok && *s;) {
    size_t slashes = 0;
    while (s[slashes] == Ch('\\')) ++slashes;
    if (s[slashes] == Ch('"') || s[slashes] == 0) {
      // Before a quote, or before the closing quote: double them.
      size_t twice = slashes * 2 + (s[slashes] == Ch('"') ? 1 : 0);
      for (size_t i = 0; ok && i < twice; ++i) ok = put(Ch('\\'));
      if (s[slashes] == Ch('"')) ok = ok && put(Ch('"'));
      s += slashes + (s[slashes] == Ch('"') ? 1 : 0);
    } else {
      for (size_t i = 0; ok && i < slashes; ++i) ok = put(Ch('\\'));
      s += slashes;
      ok = ok && put(*s++);
    }
  }
  ok = ok && put(Ch('"'));
  if (!ok) {
    if (cap) out[*pos < cap ? *pos : cap - 1] = 0;
    return false;
  }
  out[n] = 0;
  *pos = n;
  return true;
}

}  // namespace tw
