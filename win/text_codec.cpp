#include "text_codec.h"

#include <windows.h>

namespace tw {

std::wstring acp_to_wide(const std::string& s) {
  if (s.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_ACP, 0, s.data(), int(s.size()), nullptr, 0);
  std::wstring w(size_t(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, s.data(), int(s.size()), &w[0], n);
  return w;
}

bool wide_to_acp_exact(const std::wstring& w, std::string* out) {
  out->clear();
  if (w.empty()) return true;
  int n = WideCharToMultiByte(CP_ACP, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return false;
  out->resize(size_t(n));
  WideCharToMultiByte(CP_ACP, 0, w.data(), int(w.size()), &(*out)[0], n, nullptr, nullptr);
  // A character without a form in the code page comes back as "?" or as a
  // look-alike; only an exact round trip proves the bytes are faithful.
  return acp_to_wide(*out) == w;
}

bool is_acp_lead_byte(unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }

std::string cut_acp(const std::string& s, size_t max_bytes) {
  if (s.size() <= max_bytes) return s;
  size_t i = 0;
  while (i < max_bytes) {
    size_t step = (is_acp_lead_byte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
    if (i + step > max_bytes) break;
    i += step;
  }
  return s.substr(0, i);
}

}  // namespace tw
