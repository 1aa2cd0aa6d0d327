#include <iconv.h>

#include <string>

#include "code_page_text.h"

namespace tw::cli {

namespace {

// glibc's converters: "CP949", "CP1252" ...; 65001 is UTF-8.
iconv_t converter(uint32_t codepage) {
  static uint32_t open_for = 0;
  static iconv_t cd = iconv_t(-1);
  if (open_for != codepage) {
    if (cd != iconv_t(-1)) iconv_close(cd);
    std::string name = codepage == 65001 ? "UTF-8" : "CP" + std::to_string(codepage);
    cd = iconv_open("WCHAR_T", name.c_str());
    open_for = codepage;
  }
  return cd;
}

}  // namespace

int decode_code_page(uint32_t codepage, const unsigned char* in, uint32_t n, wchar_t* out, uint32_t cap) {
  if (n == 0) return 0;
  iconv_t cd = converter(codepage);
  if (cd == iconv_t(-1)) return -1;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* from = const_cast<char*>(reinterpret_cast<const char*>(in));
  char* to = reinterpret_cast<char*>(out);
  size_t from_left = n, to_left = size_t(cap) * sizeof(wchar_t);
  if (iconv(cd, &from, &from_left, &to, &to_left) == size_t(-1) ||
      iconv(cd, nullptr, nullptr, &to, &to_left) == size_t(-1))
    return -1;
  return int((reinterpret_cast<wchar_t*>(to) - out));
}

uint32_t default_code_page() { return 1252; }

}  // namespace tw::cli
