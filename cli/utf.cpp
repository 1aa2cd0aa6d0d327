#include "utf.h"

#include "utf8.h"

namespace tw::cli {

std::string utf8_of(const std::wstring& w) {
  std::string out, one;
  if (wide_to_utf8(w, &out)) return out;
  out.clear();
  for (size_t i = 0, next; i < w.size(); i = next) {
    next = next_character(w, i);
    out += wide_to_utf8(w.substr(i, next - i), &one) ? one : "\xEF\xBF\xBD";
  }
  return out;
}

std::wstring wide_of(const std::string& s) { return readable_wide(s); }

bool is_utf8(const std::string& s) {
  std::wstring ignored;
  return utf8_to_wide(s, &ignored);
}

}  // namespace tw::cli
