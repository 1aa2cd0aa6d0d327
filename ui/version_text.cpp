#include "version_text.h"

#include <windows.h>

#include <stdio.h>

#include <vector>

namespace tw {

std::wstring own_file_version() {
  wchar_t path[MAX_PATH] = {};
  if (!GetModuleFileNameW(nullptr, path, MAX_PATH)) return {};
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  if (!size) return {};
  std::vector<BYTE> data(size);
  if (!GetFileVersionInfoW(path, 0, size, data.data())) return {};
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info)
    return {};
  wchar_t text[64];
  swprintf(text, 64, L"%u.%u.%u.%u", unsigned(HIWORD(info->dwFileVersionMS)),
           unsigned(LOWORD(info->dwFileVersionMS)), unsigned(HIWORD(info->dwFileVersionLS)),
           unsigned(LOWORD(info->dwFileVersionLS)));
  return text;
}

std::wstring major_minor(const std::wstring& version) {
  size_t first = version.find(L'.');
  if (first == std::wstring::npos) return version;
  return version.substr(0, version.find(L'.', first + 1));
}

}  // namespace tw
