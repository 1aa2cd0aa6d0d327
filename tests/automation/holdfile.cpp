// holdfile: keeps a file open without any sharing, as a program that locks
// its file does, until a release file appears (at most 120 s).
//
//   holdfile FILE RELEASE
//
// Prints "held" on stdout once FILE is open. Exit codes: 0 released,
// 1 gave up waiting, 2 usage error, 3 FILE could not be opened.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "unique_handle.h"

namespace {

constexpr DWORD kPollMs = 50;
constexpr DWORD kGiveUpMs = 120000;

void Say(const char* text) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, static_cast<DWORD>(strlen(text)), &written, nullptr);
  FlushFileBuffers(GetStdHandle(STD_OUTPUT_HANDLE));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    Say("usage: holdfile FILE RELEASE\n");
    return 2;
  }
  UniqueHandle file(CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    char line[64];
    snprintf(line, sizeof line, "open failed, error %lu\n", GetLastError());
    Say(line);
    return 3;
  }
  Say("held\n");
  for (DWORD waited = 0; waited < kGiveUpMs; waited += kPollMs) {
    if (GetFileAttributesW(argv[2]) != INVALID_FILE_ATTRIBUTES) return 0;
    Sleep(kPollMs);
  }
  return 1;
}
