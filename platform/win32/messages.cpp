#include "messages.h"

#include <windows.h>

namespace tw {

namespace {

const LANGID kKorean = MAKELANGID(LANG_KOREAN, SUBLANG_KOREAN);
LANGID g_language = kKorean;

// A string table block (RT_STRING, name id / 16 + 1) holds 16 strings, each
// a 16-bit length in UTF-16 units followed by that many units (no NUL).
std::wstring string_of_block(unsigned id, LANGID language) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceExW(module, MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(id / 16 + 1),
                                language);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const WORD* p = loaded ? static_cast<const WORD*>(LockResource(loaded)) : nullptr;
  if (!p) return std::wstring();
  const WORD* end = p + SizeofResource(module, found) / sizeof(WORD);
  for (unsigned i = 0; i < id % 16 && p < end; ++i) p += 1 + *p;
  if (p >= end || p + 1 + *p > end) return std::wstring();
  return std::wstring(reinterpret_cast<const wchar_t*>(p + 1), *p);
}

}  // namespace

void set_message_language(unsigned short language_id) { g_language = language_id; }

std::wstring load_message(unsigned id) {
  std::wstring text = string_of_block(id, g_language);
  return text.empty() ? string_of_block(id, kKorean) : text;
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
