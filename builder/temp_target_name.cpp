#include "temp_target_name.h"

#include <wctype.h>

namespace tw {

namespace {

const wchar_t kInfix[] = L".~tw";
const wchar_t kExtension[] = L".tmp";
const size_t kInfixLength = 4, kDigits = 8, kExtensionLength = 4;

bool same_text(const wchar_t* a, const wchar_t* b, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (towupper(wint_t(a[i])) != towupper(wint_t(b[i]))) return false;
  return true;
}

bool is_hex_digit(wchar_t c) {
  return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F') || (c >= L'a' && c <= L'f');
}

}  // namespace

std::wstring temp_target_name(const std::wstring& target_name, uint32_t number) {
  static const wchar_t kHex[] = L"0123456789ABCDEF";
  std::wstring name = target_name + kInfix;
  for (int shift = 28; shift >= 0; shift -= 4) name += kHex[(number >> shift) & 0xF];
  return name + kExtension;
}

bool is_temp_target_name(const std::wstring& name, const std::wstring& target_name) {
  size_t base = target_name.size();
  if (name.size() != base + kInfixLength + kDigits + kExtensionLength) return false;
  const wchar_t* p = name.c_str();
  if (!same_text(p, target_name.c_str(), base) || !same_text(p + base, kInfix, kInfixLength))
    return false;
  for (size_t i = 0; i < kDigits; ++i)
    if (!is_hex_digit(p[base + kInfixLength + i])) return false;
  return same_text(p + base + kInfixLength + kDigits, kExtension, kExtensionLength);
}

}  // namespace tw
