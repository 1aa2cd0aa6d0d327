// The floors of extraction under Wine: creates the folders and files listed
// in a manifest (one "D<TAB>relative path" or "F<TAB>size<TAB>relative path"
// per line, UTF-8) below a folder, writing zeros and inflating nothing.
// What it costs is what the file system under an extractor costs.
//   file_floor.exe MANIFEST OUT-FOLDER [minimal|old-stub]
//   minimal   the calls any extractor must make: create new, write, close
//   old-stub  the calls the stub made per file before it extracted in one
//             pass: create under a temporary name, write, set the time,
//             rename, set the attributes
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

static std::wstring widen(const char* s) {
  int n = MultiByteToWideChar(CP_UTF8, 0, s, -1, nullptr, 0);
  std::wstring w(size_t(n > 0 ? n - 1 : 0), L'\0');
  if (n > 1) MultiByteToWideChar(CP_UTF8, 0, s, -1, &w[0], n);
  return w;
}

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  bool minimal = argc < 4 || wcscmp(argv[3], L"old-stub") != 0;
  FILE* list = _wfopen(argv[1], L"rb");
  if (!list) return 3;
  std::wstring root = argv[2];
  if (root.back() != L'\\') root += L'\\';
  CreateDirectoryW(root.c_str(), nullptr);
  static char zeros[1 << 20];
  static char line[4096];
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  while (fgets(line, sizeof line, list)) {
    line[strcspn(line, "\r\n")] = 0;
    if (line[0] == 'D') {
      CreateDirectoryW((root + widen(line + 2)).c_str(), nullptr);
      continue;
    }
    char* tab = strchr(line + 2, '\t');
    if (!tab) continue;
    unsigned long long size = strtoull(line + 2, nullptr, 10);
    std::wstring path = root + widen(tab + 1);
    std::wstring temp = minimal ? path : path + L".~tmp";
    HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 4;
    while (size) {
      DWORD n = size < sizeof zeros ? DWORD(size) : DWORD(sizeof zeros), done = 0;
      if (!WriteFile(h, zeros, n, &done, nullptr) || done != n) return 5;
      size -= n;
    }
    if (!minimal) SetFileTime(h, &ft, &ft, &ft);
    CloseHandle(h);
    if (minimal) continue;
    if (!MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) return 6;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_ARCHIVE);
  }
  fclose(list);
  return 0;
}
