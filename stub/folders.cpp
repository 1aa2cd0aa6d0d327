#include "folders.h"

#include "stub_state.h"
#include "wide.h"

namespace {

bool is_folder(const wchar_t* path) {
  DWORD a = GetFileAttributesW(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Length of the root part that is never created: "C:\", "\\server\share\".
size_t root_length(const wchar_t* p, size_t n) {
  if (n >= 2 && p[1] == L':') return n >= 3 && p[2] == L'\\' ? 3 : 2;
  if (n >= 2 && p[0] == L'\\' && p[1] == L'\\') {
    // \\server\share\ (and \\?\C:\, which has the same shape)
    size_t i = 2, seps = 0;
    while (i < n && seps < 2) {
      if (p[i] == L'\\') ++seps;
      ++i;
    }
    return i;
  }
  return 0;
}

// A program that just ended may still hold its folder or file for a moment
// (its current-folder handle, a virus scanner): sharing violations are
// tried again for up to about two seconds.
template <class Fn>
void retry_while_shared(Fn remove, const wchar_t* path) {
  for (int i = 0; i < 40; ++i) {
    if (remove(path) || GetLastError() != ERROR_SHARING_VIOLATION) return;
    Sleep(50);
  }
}

}  // namespace

void create_folder_tree(const wchar_t* path, PathList* created) {
  static wchar_t buf[kPathCap];
  if (!wcopy(buf, kPathCap, path)) return;
  size_t n = wlen(buf);
  while (n && buf[n - 1] == L'\\') buf[--n] = 0;
  if (n == 0 || is_folder(buf)) return;
  // Each prefix that ends before a backslash, then the whole path.
  for (size_t i = root_length(buf, n); i <= n; ++i) {
    if (i < n && buf[i] != L'\\') continue;
    wchar_t saved = buf[i];
    buf[i] = 0;
    if (buf[0] && !is_folder(buf) && CreateDirectoryW(buf, nullptr)) created->add(buf);
    buf[i] = saved;
  }
}

void remove_file(const wchar_t* path, RemoveMode mode) {
  SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
  if (mode == kRemoveNow) {
    retry_while_shared(DeleteFileW, path);
  } else {
    MoveFileExW(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
}

void remove_folder_tree(const wchar_t* path, RemoveMode mode) {
  // Sub-folders first. The search text lives on the heap: the recursion is
  // as deep as the tree.
  size_t n = wlen(path);
  wchar_t* search = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, (n + 300) * sizeof(wchar_t)));
  if (search) {
    wcopy(search, n + 300, path);
    wend_backslash(search, n + 300);
    size_t base = wlen(search);
    wappend(search, n + 300, L"*.*");
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(search, &found);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const wchar_t* name = found.cFileName;
        bool dots = name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
        // A junction or link is removed as itself, never followed.
        bool follow = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                      !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
        if (!dots && follow) {
          search[base] = 0;
          if (wappend(search, n + 300, name)) remove_folder_tree(search, mode);
        }
      } while (FindNextFileW(find, &found));
      FindClose(find);
    }
    HeapFree(GetProcessHeap(), 0, search);
  }
  SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
  if (mode == kRemoveNow) {
    retry_while_shared(RemoveDirectoryW, path);
  } else {
    MoveFileExW(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
}
