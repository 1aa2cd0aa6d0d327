#include "utf8.h"

#include <stdint.h>

namespace tw {

namespace {

const bool kWide16 = sizeof(wchar_t) == 2;

bool is_high_surrogate(uint32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool is_low_surrogate(uint32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void put_utf8(uint32_t c, std::string* out) {
  if (c < 0x80) {
    *out += char(c);
  } else if (c < 0x800) {
    *out += char(0xC0 | c >> 6);
    *out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out += char(0xE0 | c >> 12);
    *out += char(0x80 | (c >> 6 & 0x3F));
    *out += char(0x80 | (c & 0x3F));
  } else {
    *out += char(0xF0 | c >> 18);
    *out += char(0x80 | (c >> 12 & 0x3F));
    *out += char(0x80 | (c >> 6 & 0x3F));
    *out += char(0x80 | (c & 0x3F));
  }
}

void put_wide(uint32_t c, std::wstring* out) {
  if (kWide16 && c >= 0x10000) {
    c -= 0x10000;
    *out += wchar_t(0xD800 + (c >> 10));
    *out += wchar_t(0xDC00 + (c & 0x3FF));
  } else {
    *out += wchar_t(c);
  }
}

}  // namespace

size_t next_character(const std::wstring& w, size_t i) {
  if (kWide16 && i + 1 < w.size() && is_high_surrogate(uint32_t(w[i])) &&
      is_low_surrogate(uint32_t(w[i + 1])))
    return i + 2;
  return i + 1;
}

bool wide_to_utf8(const std::wstring& w, std::string* out) {
  out->clear();
  for (size_t i = 0; i < w.size(); i = next_character(w, i)) {
    uint32_t c = uint32_t(w[i]);
    if (next_character(w, i) == i + 2)
      c = 0x10000 + ((c - 0xD800) << 10) + (uint32_t(w[i + 1]) - 0xDC00);
    else if (is_high_surrogate(c) || is_low_surrogate(c) || c > 0x10FFFF)
      return false;
    put_utf8(c, out);
  }
  return true;
}

// Byte layout of one character: 0xxxxxxx | 110xxxxx 10xxxxxx |
// 1110xxxx 10xxxxxx 10xxxxxx | 11110xxx 10xxxxxx 10xxxxxx 10xxxxxx.
bool utf8_to_wide(const std::string& s, std::wstring* out) {
  out->clear();
  for (size_t i = 0; i < s.size();) {
    uint32_t c = static_cast<unsigned char>(s[i]);
    size_t n = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 4;
    if (n > 3 || s.size() - i <= n) return false;  // a stray byte, or cut short
    if (n) c &= 0x3F >> n;
    for (size_t k = 1; k <= n; ++k) {
      uint32_t b = static_cast<unsigned char>(s[i + k]);
      if ((b & 0xC0) != 0x80) return false;
      c = c << 6 | (b & 0x3F);
    }
    static const uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[n] || c > 0x10FFFF || is_high_surrogate(c) || is_low_surrogate(c)) return false;
    put_wide(c, out);
    i += n + 1;
  }
  return true;
}

std::wstring readable_wide(const std::string& s) {
  std::wstring out;
  if (utf8_to_wide(s, &out)) return out;
  out.clear();
  for (unsigned char c : s) out += c < 0x80 ? wchar_t(c) : wchar_t(0xFFFD);
  return out;
}

}  // namespace tw
