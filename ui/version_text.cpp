#include "version_text.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

namespace tw {

// The version resource (VS_VERSIONINFO) starts with three 16-bit fields
// (length, value length, type) and the key L"VS_VERSION_INFO", padded to a
// 32-bit boundary; its value, VS_FIXEDFILEINFO, follows and opens with the
// 32-bit signature 0xFEEF04BD. The file version is in its fields
// dwFileVersionMS (major << 16 | minor) and dwFileVersionLS.
std::wstring own_file_version() {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16));
  HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
  const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
  DWORD size = found ? SizeofResource(nullptr, found) : 0;
  for (DWORD at = 0; data && at + sizeof(VS_FIXEDFILEINFO) <= size; at += 4) {
    VS_FIXEDFILEINFO info;
    memcpy(&info, data + at, sizeof info);
    if (info.dwSignature != 0xFEEF04BD) continue;
    wchar_t text[64];
    swprintf(text, 64, L"%u.%u.%u.%u", unsigned(HIWORD(info.dwFileVersionMS)),
             unsigned(LOWORD(info.dwFileVersionMS)), unsigned(HIWORD(info.dwFileVersionLS)),
             unsigned(LOWORD(info.dwFileVersionLS)));
    return text;
  }
  return {};
}

std::wstring major_minor(const std::wstring& version) {
  size_t first = version.find(L'.');
  if (first == std::wstring::npos) return version;
  return version.substr(0, version.find(L'.', first + 1));
}

}  // namespace tw
