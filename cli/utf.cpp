#include "utf.h"

namespace tw::cli {

namespace {

const char32_t kReplacement = 0xFFFD;

void put_utf8(char32_t c, std::string* out) {
  if (c < 0x80) {
    *out += char(c);
  } else if (c < 0x800) {
    *out += char(0xC0 | (c >> 6));
    *out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out += char(0xE0 | (c >> 12));
    *out += char(0x80 | ((c >> 6) & 0x3F));
    *out += char(0x80 | (c & 0x3F));
  } else {
    *out += char(0xF0 | (c >> 18));
    *out += char(0x80 | ((c >> 12) & 0x3F));
    *out += char(0x80 | ((c >> 6) & 0x3F));
    *out += char(0x80 | (c & 0x3F));
  }
}

// The character at s[*i] (advancing *i); kReplacement for a broken form.
char32_t next_utf8(const std::string& s, size_t* i) {
  unsigned char b = static_cast<unsigned char>(s[(*i)++]);
  if (b < 0x80) return b;
  int more = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
  if (more < 0 || b > 0xF4) return kReplacement;
  char32_t c = b & (0x3F >> more);
  for (int k = 0; k < more; ++k) {
    if (*i >= s.size() || (static_cast<unsigned char>(s[*i]) & 0xC0) != 0x80) return kReplacement;
    c = c << 6 | (static_cast<unsigned char>(s[(*i)++]) & 0x3F);
  }
  static const char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
  if (c < kLeast[more] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return kReplacement;
  return c;
}

}  // namespace

std::string utf8_of(const std::wstring& w) {
  std::string out;
  for (size_t i = 0; i < w.size(); ++i) {
    char32_t c = char32_t(w[i]);
    if (sizeof(wchar_t) == 2 && c >= 0xD800 && c <= 0xDBFF && i + 1 < w.size() &&
        char32_t(w[i + 1]) >= 0xDC00 && char32_t(w[i + 1]) <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (char32_t(w[++i]) - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;
    }
    put_utf8(c, &out);
  }
  return out;
}

std::wstring wide_of(const std::string& s) {
  std::wstring out;
  for (size_t i = 0; i < s.size();) {
    char32_t c = next_utf8(s, &i);
    if (sizeof(wchar_t) == 2 && c >= 0x10000) {
      out += wchar_t(0xD800 + ((c - 0x10000) >> 10));
      out += wchar_t(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += wchar_t(c);
    }
  }
  return out;
}

bool is_utf8(const std::string& s) {
  for (size_t i = 0; i < s.size();) {
    size_t at = i;
    if (next_utf8(s, &i) == kReplacement && s.compare(at, 3, "\xEF\xBF\xBD") != 0) return false;
  }
  return true;
}

}  // namespace tw::cli
