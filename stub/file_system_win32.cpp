#include "file_system_win32.h"

#include <windows.h>

namespace {

typedef DWORD(WINAPI* FinalPathFn)(HANDLE, LPWSTR, DWORD, DWORD);
typedef BOOL(WINAPI* SetInfoFn)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);

// Functions of kernel32 that older systems lack (GetFinalPathNameByHandleW,
// SetFileInformationByHandle), looked up once each: null there.
template <class Fn>
Fn kernel_function(const char* name) {
  static Fn fn;
  static bool looked;
  if (!looked) {
    looked = true;
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (kernel) fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(kernel, name)));
  }
  return fn;
}

// A file written in more than one piece gets its room at once.
const uint64_t kReserveFrom = 1 << 20;

void reserve(HANDLE file, uint64_t size) {
  SetInfoFn fn = kernel_function<SetInfoFn>("SetFileInformationByHandle");
  FILE_ALLOCATION_INFO info;
  info.AllocationSize.QuadPart = LONGLONG(size);
  if (fn) fn(file, FileAllocationInfo, &info, sizeof info);  // only a hint: a failure changes nothing
}

uint32_t last_error_or(DWORD fallback) {
  DWORD e = GetLastError();
  return e ? e : fallback;
}

uint32_t attributes(void*, const wchar_t* path) { return GetFileAttributesW(path); }

uint32_t create_folder(void*, const wchar_t* path) {
  return CreateDirectoryW(path, nullptr) ? 0 : last_error_or(ERROR_PATH_NOT_FOUND);
}

// The attributes are given at creation: no call after the data for them.
uint32_t create_file(void*, const wchar_t* path, uint32_t attributes, uint64_t size, tw::FsFile* file) {
  HANDLE h = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr);
  if (h == INVALID_HANDLE_VALUE) return last_error_or(ERROR_FILE_EXISTS);
  if (size >= kReserveFrom) reserve(h, size);
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

void close(void*, tw::FsFile file) { CloseHandle(file); }

uint32_t final_path(void*, const wchar_t* path, wchar_t* out, uint32_t cap) {
  out[0] = 0;
  FinalPathFn fn = kernel_function<FinalPathFn>("GetFinalPathNameByHandleW");
  if (!fn) return 0;
  HANDLE h = CreateFileW(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return last_error_or(ERROR_PATH_NOT_FOUND);
  DWORD n = fn(h, out, cap, FILE_NAME_NORMALIZED);
  uint32_t r = 0;
  if (n == 0 || n >= cap) {
    out[0] = 0;
    r = n ? ERROR_FILENAME_EXCED_RANGE : last_error_or(ERROR_INVALID_HANDLE);
  }
  CloseHandle(h);
  return r;
}

uint32_t rename(void*, const wchar_t* from, const wchar_t* to, bool replace) {
  return MoveFileExW(from, to, replace ? MOVEFILE_REPLACE_EXISTING : 0) ? 0 : last_error_or(ERROR_ACCESS_DENIED);
}

uint32_t remove_file(void*, const wchar_t* path) {
  return DeleteFileW(path) ? 0 : last_error_or(ERROR_ACCESS_DENIED);
}

uint32_t remove_folder(void*, const wchar_t* path) {
  return RemoveDirectoryW(path) ? 0 : last_error_or(ERROR_ACCESS_DENIED);
}

uint32_t set_attributes(void*, const wchar_t* path, uint32_t a) {
  return SetFileAttributesW(path, a) ? 0 : last_error_or(ERROR_ACCESS_DENIED);
}

const tw::FileSystem kWin32 = {nullptr, attributes, create_folder, create_file,   write,         set_time,
                               close,   final_path, rename,        remove_file,   remove_folder, set_attributes};

}  // namespace

const tw::FileSystem* win32_file_system() { return &kWin32; }
