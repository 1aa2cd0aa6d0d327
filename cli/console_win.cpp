#include <windows.h>

#include "console.h"
#include "utf.h"

namespace tw::cli {

namespace {

HANDLE handle_of(Stream s) { return GetStdHandle(s == Stream::kOut ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE); }

bool is_console(HANDLE h) {
  DWORD mode;
  return h != INVALID_HANDLE_VALUE && h != nullptr && GetConsoleMode(h, &mode);
}

}  // namespace

void write_text(Stream s, const std::string& utf8) {
  HANDLE h = handle_of(s);
  if (h == INVALID_HANDLE_VALUE || h == nullptr) return;
  if (is_console(h)) {
    std::wstring w = wide_of(utf8);
    DWORD put;
    WriteConsoleW(h, w.data(), DWORD(w.size()), &put, nullptr);
    return;
  }
  const char* p = utf8.data();
  DWORD left = DWORD(utf8.size());
  while (left) {
    DWORD put = 0;
    if (!WriteFile(h, p, left, &put, nullptr) || put == 0) return;  // nobody reads
    p += put;
    left -= put;
  }
}

bool is_terminal(Stream s) { return is_console(handle_of(s)); }

bool ask_yes_no(const std::string& question) {
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  if (!is_console(in)) return false;
  write_text(Stream::kErr, question + " [y/N] ");
  wchar_t line[64];
  DWORD got = 0;
  if (!ReadConsoleW(in, line, 63, &got, nullptr) || got == 0) return false;
  return line[0] == L'y' || line[0] == L'Y';
}

}  // namespace tw::cli
