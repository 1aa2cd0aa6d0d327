#pragma once
// Splits a raw command line into tokens.
//
// Whitespace (any code up to 0x20) separates tokens outside double quotes.
// A double quote toggles quoting and is dropped. A run of n backslashes
// followed by a quote gives n/2 backslashes, and when n is odd the quote is
// a literal one; backslashes not followed by a quote stay as they are. A
// multi-byte character of the system code page (lead byte + trail byte) is
// copied whole, so a trail byte is never taken for a quote or backslash.
//
// Templated on the character type so that the maker can split the 8-bit
// command line and the stub the UTF-16 one with the same rules.
#include <stddef.h>

namespace tw {

// Lead-byte test for 8-bit text; the maker passes IsDBCSLeadByte.
typedef bool (*LeadByteFn)(unsigned char);

inline bool no_lead_bytes(unsigned char) { return false; }

template <class Ch>
struct TokenSink {
  Ch* out;
  size_t cap;  // characters including the NUL
  size_t len;  // characters the token has (may exceed what fitted)
  void put(Ch c) {
    if (cap && len < cap - 1) out[len] = c;
    ++len;
  }
  void finish() {
    if (cap) out[len < cap - 1 ? len : cap - 1] = 0;
  }
};

template <class Ch>
inline bool is_lead(Ch c, LeadByteFn lead) {
  return sizeof(Ch) == 1 && lead && lead(static_cast<unsigned char>(c));
}

// Reads the next token from *p and advances *p behind it. The token goes to
// out (cut to cap - 1 characters, always NUL-terminated when cap > 0) and its
// full length to *length. Returns false when only whitespace is left.
template <class Ch>
bool next_token(const Ch** p, Ch* out, size_t cap, size_t* length, LeadByteFn lead) {
  const Ch* s = *p;
  while (*s && static_cast<unsigned>(*s) <= 0x20u) ++s;
  if (!*s) {
    *p = s;
    return false;
  }
  TokenSink<Ch> sink = {out, cap, 0};
  bool quoted = false;
  while (*s) {
    Ch c = *s;
    if (c == Ch('\\')) {
      size_t n = 0;
      while (s[n] == Ch('\\')) ++n;
      if (s[n] == Ch('"')) {
        for (size_t i = 0; i < n / 2; ++i) sink.put(Ch('\\'));
        s += n;
        if (n % 2) {
          sink.put(Ch('"'));
          ++s;
        }
      } else {
        for (size_t i = 0; i < n; ++i) sink.put(Ch('\\'));
        s += n;
      }
      continue;
    }
    if (c == Ch('"')) {
      quoted = !quoted;
      ++s;
      continue;
    }
    if (!quoted && static_cast<unsigned>(c) <= 0x20u) break;
    if (is_lead(c, lead) && s[1]) {
      sink.put(c);
      sink.put(s[1]);
      s += 2;
      continue;
    }
    sink.put(c);
    ++s;
  }
  sink.finish();
  *length = sink.len;
  *p = s;
  return true;
}

// Skips the first token (the program name) the same way.
template <class Ch>
const Ch* skip_program_name(const Ch* s, LeadByteFn lead) {
  size_t len;
  next_token<Ch>(&s, nullptr, 0, &len, lead);
  return s;
}

}  // namespace tw
