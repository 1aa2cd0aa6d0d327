#pragma once
// Strict UTF-8 for wide text: UTF-16 where wchar_t has 16 bits (Windows),
// UTF-32 where it has 32 (Linux). Portable.
#include <stddef.h>

#include <string>

namespace tw {

// False for text that is not sound Unicode (an unpaired surrogate, a value
// past U+10FFFF).
bool wide_to_utf8(const std::wstring& w, std::string* out);
// False for bytes that are not UTF-8 (cut short, overlong, a surrogate, past
// U+10FFFF).
bool utf8_to_wide(const std::string& s, std::wstring* out);
// The bytes as text for people to read: UTF-8 where they are, else every
// byte past ASCII a U+FFFD.
std::wstring readable_wide(const std::string& s);
// The position after the character that starts at i (a surrogate pair is
// one character).
size_t next_character(const std::wstring& w, size_t i);

}  // namespace tw
