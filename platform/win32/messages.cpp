#include "messages.h"

#include <windows.h>

namespace tw {

std::wstring load_message(unsigned id) {
  const wchar_t* text = nullptr;
  // With a zero length LoadStringW hands out a pointer into the resource.
  int n = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
  return n > 0 ? std::wstring(text, size_t(n)) : std::wstring();
}

std::wstring system_message(unsigned code) {
  wchar_t* buf = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<LPWSTR>(&buf), 0, nullptr);
  std::wstring s = n ? std::wstring(buf, n) : L"Error " + std::to_wstring(code);
  if (buf) LocalFree(buf);
  while (!s.empty() && (s.back() == L'\n' || s.back() == L'\r' || s.back() == L' ')) s.pop_back();
  return s;
}

}  // namespace tw
