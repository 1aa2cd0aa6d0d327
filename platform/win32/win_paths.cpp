#include "win_paths.h"

#include <windows.h>

namespace tw {

std::wstring full_path_of(const std::wstring& path) {
  DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (n == 0) return path;
  std::wstring out(n, L'\0');
  n = GetFullPathNameW(path.c_str(), n, &out[0], nullptr);
  out.resize(n);
  return out;
}

bool directory_exists(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool file_exists(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

std::wstring upper(std::wstring s) {
  if (!s.empty()) CharUpperBuffW(&s[0], DWORD(s.size()));
  return s;
}

}  // namespace

bool equal_ignoring_case(const std::wstring& a, const std::wstring& b) {
  return a.size() == b.size() && upper(a) == upper(b);
}

bool starts_with_ignoring_case(const std::wstring& text, const std::wstring& prefix) {
  return text.size() >= prefix.size() && upper(text.substr(0, prefix.size())) == upper(prefix);
}

std::wstring parent_folder(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool create_folder_tree(const std::wstring& folder) {
  std::wstring f = folder;
  while (f.size() > 3 && (f.back() == L'\\' || f.back() == L'/')) f.pop_back();
  if (f.empty() || directory_exists(f)) return true;
  std::wstring parent = parent_folder(f);
  if (!parent.empty() && parent != f && !create_folder_tree(parent)) return false;
  return CreateDirectoryW(f.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace tw
