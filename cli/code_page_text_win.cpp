#include <windows.h>

#include "code_page_text.h"

namespace tw::cli {

int decode_code_page(uint32_t codepage, const unsigned char* in, uint32_t n, wchar_t* out, uint32_t cap) {
  if (n == 0) return 0;
  if (n > 0x7FFFFFFF || cap > 0x7FFFFFFF) return -1;
  int k = MultiByteToWideChar(codepage, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(in), int(n), out,
                              int(cap));
  return k > 0 ? k : -1;
}

uint32_t default_code_page() { return GetACP(); }

}  // namespace tw::cli
