#include "pending_target.h"

#include <windows.h>

#include "build_error.h"
#include "message_ids.h"
#include "temp_target_name.h"
#include "win_handle.h"

namespace tw {

namespace {

std::wstring name_part(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// The folder part with its separator ("C:\out\"), empty for a bare name.
std::wstring folder_part(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// The temporary name is longer than the target's: a path that grows past
// MAX_PATH with it is given the prefix that lifts the limit.
std::wstring long_form(const std::wstring& path) {
  if (path.size() < MAX_PATH || path.compare(0, 4, L"\\\\?\\") == 0) return path;
  if (path.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC" + path.substr(1);
  return L"\\\\?\\" + path;
}

// Opening the existing target for writing changes nothing, but tells at
// once what the final rename would run into: a folder, a read-only file, a
// program that is running.
void check_replaceable(const std::wstring& target) {
  FileHandle existing(CreateFileW(target.c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (existing.valid()) return;
  DWORD error = GetLastError();
  if (error != ERROR_FILE_NOT_FOUND) throw BuildError(kMsgCreateFailed, target, error);
}

uint32_t name_seed() {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return uint32_t(counter.QuadPart) ^ uint32_t(counter.QuadPart >> 32) ^
         (GetCurrentProcessId() << 16) ^ GetTickCount();
}

// Creates a temporary file that did not exist before; *temp gets its path.
FileHandle create_temp(const std::wstring& target, std::wstring* temp) {
  check_replaceable(target);
  uint32_t number = name_seed();
  for (int attempt = 0; attempt < 64; ++attempt) {
    *temp = long_form(folder_part(target) + temp_target_name(name_part(target), number));
    // DELETE: an abandoned file is deleted through this handle.
    FileHandle file(CreateFileW(temp->c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.valid()) return file;
    DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
      throw BuildError(kMsgCreateFailed, target, error);
    number = number * 1664525u + 1013904223u;
  }
  throw BuildError(kMsgCreateFailed, target, ERROR_FILE_EXISTS);
}

// Marks an open file for deletion; it goes when its last handle closes.
bool delete_through(HANDLE file) {
  FILE_DISPOSITION_INFO disposition = {TRUE};
  return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
}

std::wstring final_path(HANDLE h) {
  wchar_t buf[2048];
  DWORD n = GetFinalPathNameByHandleW(h, buf, 2048, FILE_NAME_NORMALIZED);
  return n && n < 2048 ? std::wstring(buf, n) : std::wstring();
}

bool same_text_ignoring_case(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), int(a.size()), b.c_str(), int(b.size()), TRUE) ==
         CSTR_EQUAL;
}

// Removes a leftover only when it is what a killed build leaves: a plain
// file, neither a link nor a second name of another file, lying in the
// target's folder itself. It is checked and deleted through one handle
// opened on the name itself (a link is not followed), and its attributes are
// never touched: whatever else stands under that name stays as it is. A
// file another build still writes cannot be opened for deletion and stays.
void remove_leftover(const std::wstring& folder_final, const std::wstring& path,
                     const std::wstring& name) {
  FileHandle file(CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file.valid()) return;
  BY_HANDLE_FILE_INFORMATION info;
  FILE_ATTRIBUTE_TAG_INFO tag;
  const DWORD kNotPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT |
                          FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DEVICE;
  if (!GetFileInformationByHandle(file.get(), &info) || (info.dwFileAttributes & kNotPlain) ||
      info.nNumberOfLinks != 1 ||
      !GetFileInformationByHandleEx(file.get(), FileAttributeTagInfo, &tag, sizeof tag) ||
      (tag.FileAttributes & kNotPlain))
    return;
  // Where links are not reparse points (Wine shows a Unix link to a file as
  // the file it reaches), the handle's own path tells.
  if (folder_final.empty() || !same_text_ignoring_case(final_path(file.get()), folder_final + L"\\" + name))
    return;
  delete_through(file.get());
}

std::wstring folder_final_path(const std::wstring& folder) {
  FileHandle dir(CreateFileW(folder.empty() ? L"." : folder.c_str(), FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!dir.valid()) return std::wstring();
  std::wstring path = final_path(dir.get());
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  return path;
}

}  // namespace

void remove_stale_temp_targets(const std::wstring& target) {
  std::wstring folder = folder_part(target), name = name_part(target);
  if (name.empty()) return;
  WIN32_FIND_DATAW found;
  FindHandle find(FindFirstFileW(long_form(folder + name + L".~tw*.tmp").c_str(), &found));
  if (!find.valid()) return;
  std::wstring folder_final = folder_final_path(long_form(folder));
  do {
    // The pattern may also match short (8.3) names: the long name decides.
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        is_temp_target_name(found.cFileName, name))
      remove_leftover(folder_final, long_form(folder + found.cFileName), found.cFileName);
  } while (FindNextFileW(find.get(), &found));
}

PendingTarget::PendingTarget(const std::wstring& target)
    : target_(target), sink_(create_temp(target, &temp_), target) {}

PendingTarget::~PendingTarget() {
  if (committed_) return;
  sink_.discard();
}

void PendingTarget::commit() {
  sink_.close();
  if (!MoveFileExW(temp_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING))
    throw BuildError(kMsgCreateFailed, target_, GetLastError());
  committed_ = true;
}

}  // namespace tw
