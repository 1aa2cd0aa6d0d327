#pragma once
// What the extraction pass asks of the file system, as a table of plain
// functions: the stub fills it with Win32 calls (file_system_win32.cpp), the
// unit tests and the fuzz target with an in-memory tree. Portable: no
// <windows.h>. Every call that can fail returns 0 or a Windows error code.
#include <stdint.h>

namespace tw {

// An open file of the table's own kind; null is no file.
typedef void* FsFile;

// Returned by `attributes` for a path that does not exist.
const uint32_t kFsNoFile = 0xFFFFFFFFu;
const uint32_t kFsDirectory = 0x10;
const uint32_t kFsReparsePoint = 0x400;

// Windows error codes the pass uses itself.
const uint32_t kErrFileNotFound = 2;
const uint32_t kErrPathNotFound = 3;
const uint32_t kErrAccessDenied = 5;
const uint32_t kErrDiskFull = 112;
const uint32_t kErrFileExists = 80;
const uint32_t kErrAlreadyExists = 183;
const uint32_t kErrNameTooLong = 206;
const uint32_t kErrNotEnoughMemory = 8;
const uint32_t kErrNotAReparsePoint = 4390;  // ERROR_NOT_A_REPARSE_POINT
const uint32_t kErrReparsePoint = 4394;      // ERROR_REPARSE_TAG_MISMATCH: a link in the way

struct FileSystem {
  void* ctx;
  // Attributes of path (kFsReparsePoint marks a link or junction, which is
  // never followed), or kFsNoFile.
  uint32_t (*attributes)(void* ctx, const wchar_t* path);
  // Creates one folder; fails with 183 when something of that name exists.
  uint32_t (*create_folder)(void* ctx, const wchar_t* path);
  // Creates a new file for writing with the given attributes (read-only,
  // hidden, system, archive; 0x80 for none); fails with 80 when it exists.
  // `size` is what will be written: the file system may set room aside.
  uint32_t (*create_file)(void* ctx, const wchar_t* path, uint32_t attributes, uint64_t size, FsFile* file);
  // Writes all n bytes; a short write is an error (112 when the system
  // names none).
  uint32_t (*write)(void* ctx, FsFile file, const void* data, uint32_t n);
  // Sets the last-write time from a packed DOS date-time (local time).
  void (*set_time)(void* ctx, FsFile file, uint32_t dos_time);
  void (*close)(void* ctx, FsFile file);
  // Where the file or folder that path names really is (links resolved).
  // 0 with an empty text when the system cannot tell.
  uint32_t (*final_path)(void* ctx, const wchar_t* path, wchar_t* out, uint32_t cap);
  // Renames from to `to`; an existing `to` is replaced when `replace` is
  // set, else the rename fails (183).
  uint32_t (*rename)(void* ctx, const wchar_t* from, const wchar_t* to, bool replace);
  uint32_t (*remove_file)(void* ctx, const wchar_t* path);
  // Removes an empty folder.
  uint32_t (*remove_folder)(void* ctx, const wchar_t* path);
  uint32_t (*set_attributes)(void* ctx, const wchar_t* path, uint32_t attributes);
};

}  // namespace tw
