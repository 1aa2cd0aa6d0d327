#include "text_codec.h"

#include <windows.h>

namespace tw {

std::wstring to_wide(uint32_t code_page, const std::string& s) {
  if (s.empty()) return std::wstring();
  int n = MultiByteToWideChar(code_page, 0, s.data(), int(s.size()), nullptr, 0);
  std::wstring w(size_t(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(code_page, 0, s.data(), int(s.size()), &w[0], n);
  return w;
}

bool to_code_page_exact(uint32_t code_page, const std::wstring& w, std::string* out) {
  out->clear();
  if (w.empty()) return true;
  int n = WideCharToMultiByte(code_page, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return false;
  out->resize(size_t(n));
  WideCharToMultiByte(code_page, 0, w.data(), int(w.size()), &(*out)[0], n, nullptr, nullptr);
  // A character without a form in the code page comes back as "?" or as a
  // look-alike; only an exact round trip proves the bytes are faithful.
  return to_wide(code_page, *out) == w;
}

}  // namespace tw
