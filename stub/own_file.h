#pragma once
// The SFX file the stub runs from, opened read-only for the whole run
// (others may read it too, nobody may change it meanwhile). It lives in the
// stub's state for the whole process and is closed when the process ends,
// so it holds a plain handle (zero-filled storage is a closed file).
// Small reads (record heads, names, lengths, the streams of small files)
// come from a read-ahead buffer: one system call for many records.
#include <stdint.h>
#include <windows.h>

class OwnFile {
 public:
  bool open(const wchar_t* path);
  uint64_t size() const { return size_; }
  // Reads exactly n bytes at offset.
  bool read_at(uint64_t offset, void* buf, uint32_t n);

 private:
  bool read_direct(uint64_t offset, void* buf, uint32_t n);

  HANDLE file_;
  uint64_t size_;
  uint64_t pos_;          // of the system's file pointer
  uint64_t ahead_start_;  // the file's bytes in ahead_
  uint32_t ahead_len_;
};
