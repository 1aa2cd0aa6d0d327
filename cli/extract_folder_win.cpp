#include <windows.h>

#include "extract_folder.h"
#include "file_system_win32.h"
#include "utf.h"

namespace tw::cli {

const FileSystem* system_file_system() { return win32_file_system(); }

uint32_t prepare_extract_folder(const std::string& dir, std::wstring* pass_folder,
                                std::vector<std::wstring>* made) {
  std::wstring given = wide_of(dir);
  DWORD n = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
  if (n == 0) return GetLastError();
  std::wstring full(n, L'\0');
  n = GetFullPathNameW(given.c_str(), n, &full[0], nullptr);
  if (n == 0 || n >= full.size()) return n ? ERROR_FILENAME_EXCED_RANGE : GetLastError();
  full.resize(n);
  if (full.back() != L'\\') full += L'\\';
  // Each missing folder from the top down, below the drive or share.
  size_t start = 3;  // "C:\"
  if (full.compare(0, 2, L"\\\\") == 0) {  // "\\server\share\"
    start = full.find(L'\\', full.find(L'\\', 2) + 1);
    if (start == std::wstring::npos) return ERROR_BAD_PATHNAME;
    ++start;
  }
  for (size_t i = full.find(L'\\', start); i != std::wstring::npos; i = full.find(L'\\', i + 1)) {
    std::wstring part = full.substr(0, i);
    DWORD a = GetFileAttributesW(part.c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) continue;
    if (!CreateDirectoryW(part.c_str(), nullptr)) return GetLastError();
    made->push_back(part);
  }
  *pass_folder = full;
  return 0;
}

std::string shown_path(const std::wstring& pass_path) { return utf8_of(pass_path); }

}  // namespace tw::cli
