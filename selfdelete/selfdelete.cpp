// tarnwick_selfdelete: removes an SFX file after the SFX file's own process
// has ended. The stub starts it with the SFX file's path as the only
// parameter and goes away; the file stays locked until the system has fully
// let go of the stub's image, so this program keeps trying for a while.
// No window, no messages; the exit code is always 0.
#include <windows.h>

#include "cmdline_split.h"

namespace {

constexpr int kTries = 1000;     // with the pause below: about 20 seconds
constexpr DWORD kPauseMs = 20;
constexpr size_t kPathCapacity = 32768;  // longest path Windows accepts, with NUL

wchar_t g_path[kPathCapacity];

// Parameter 1 into g_path; false when it is missing or empty. A path too long
// for the buffer counts as missing: a cut path could name another file.
bool TakeFirstParameter() {
  const wchar_t* p = tw::skip_program_name<wchar_t>(GetCommandLineW(), nullptr);
  size_t length = 0;
  if (!tw::next_token<wchar_t>(&p, g_path, kPathCapacity, &length, nullptr)) return false;
  return length > 0 && length < kPathCapacity;
}

// Only a file can be deleted here; a folder of that name would fail every try.
bool IsFile(const wchar_t* path) {
  DWORD attributes = GetFileAttributesW(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsGone(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  if (!TakeFirstParameter() || !IsFile(g_path)) return 0;
  for (int attempt = 1; attempt <= kTries; ++attempt) {
    SetFileAttributesW(g_path, FILE_ATTRIBUTE_NORMAL);  // read-only would block the delete
    if (DeleteFileW(g_path) || IsGone(GetLastError())) return 0;
    if (attempt < kTries) Sleep(kPauseMs);
  }
  return 0;  // still locked: leave it where it is
}
