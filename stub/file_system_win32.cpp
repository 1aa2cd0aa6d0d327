#include "file_system_win32.h"

#include <windows.h>

namespace {

typedef DWORD(WINAPI* FinalPathFn)(HANDLE, LPWSTR, DWORD, DWORD);

// GetFinalPathNameByHandleW, where the system has it.
FinalPathFn final_path_fn() {
  static FinalPathFn fn;
  static bool looked;
  if (!looked) {
    looked = true;
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (kernel) {
      fn = reinterpret_cast<FinalPathFn>(
          reinterpret_cast<void*>(GetProcAddress(kernel, "GetFinalPathNameByHandleW")));
    }
  }
  return fn;
}

uint32_t last_error_or(DWORD fallback) {
  DWORD e = GetLastError();
  return e ? e : fallback;
}

uint32_t attributes(void*, const wchar_t* path) { return GetFileAttributesW(path); }

uint32_t create_folder(void*, const wchar_t* path) {
  return CreateDirectoryW(path, nullptr) ? 0 : last_error_or(ERROR_PATH_NOT_FOUND);
}

uint32_t create_file(void*, const wchar_t* path, tw::FsFile* file) {
  HANDLE h = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return last_error_or(ERROR_FILE_EXISTS);
  *file = h;
  return 0;
}

uint32_t write(void*, tw::FsFile file, const void* data, uint32_t n) {
  DWORD put = 0;
  if (!WriteFile(file, data, n, &put, nullptr)) return last_error_or(ERROR_DISK_FULL);
  return put == n ? 0 : ERROR_DISK_FULL;  // a short write: the disk is full
}

void set_time(void*, tw::FsFile file, uint32_t dos_time) {
  FILETIME local, utc;
  if (DosDateTimeToFileTime(WORD(dos_time >> 16), WORD(dos_time), &local) &&
      LocalFileTimeToFileTime(&local, &utc)) {
    SetFileTime(file, nullptr, nullptr, &utc);
  }
}

uint32_t final_path(void*, tw::FsFile file, wchar_t* out, uint32_t cap) {
  out[0] = 0;
  FinalPathFn fn = final_path_fn();
  if (!fn) return 0;
  DWORD n = fn(file, out, cap, FILE_NAME_NORMALIZED);
  if (n == 0 || n >= cap) {
    out[0] = 0;
    return n ? ERROR_FILENAME_EXCED_RANGE : last_error_or(ERROR_INVALID_HANDLE);
  }
  return 0;
}

uint32_t folder_final_path(void* ctx, const wchar_t* path, wchar_t* out, uint32_t cap) {
  out[0] = 0;
  if (!final_path_fn()) return 0;
  HANDLE h = CreateFileW(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return last_error_or(ERROR_PATH_NOT_FOUND);
  uint32_t r = final_path(ctx, h, out, cap);
  CloseHandle(h);
  return r;
}

void close(void*, tw::FsFile file) { CloseHandle(file); }

uint32_t replace(void*, const wchar_t* from, const wchar_t* to) {
  return MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING) ? 0 : last_error_or(ERROR_ACCESS_DENIED);
}

uint32_t remove_file(void*, const wchar_t* path) {
  return DeleteFileW(path) ? 0 : last_error_or(ERROR_ACCESS_DENIED);
}

uint32_t set_attributes(void*, const wchar_t* path, uint32_t a) {
  return SetFileAttributesW(path, a) ? 0 : last_error_or(ERROR_ACCESS_DENIED);
}

const tw::FileSystem kWin32 = {nullptr, attributes, create_folder, create_file,
                               write,   set_time,   final_path,    folder_final_path,
                               close,   replace,    remove_file,   set_attributes};

}  // namespace

const tw::FileSystem* win32_file_system() { return &kWin32; }
