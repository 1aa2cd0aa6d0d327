#pragma once
// The SFX file the stub runs from, opened read-only for the whole run
// (others may read it too, nobody may change it meanwhile). It lives in the
// stub's state for the whole process and is closed when the process ends,
// so it holds a plain handle (zero-filled storage is a closed file).
#include <stdint.h>
#include <windows.h>


class OwnFile {
 public:
  bool open(const wchar_t* path);
  uint64_t size() const { return size_; }
  // Reads exactly n bytes at offset and leaves the position behind them.
  bool read_at(uint64_t offset, void* buf, uint32_t n);
  // Reads exactly n bytes at the current position.
  bool read(void* buf, uint32_t n);
  uint64_t position() const { return pos_; }

 private:
  HANDLE file_;
  uint64_t size_;
  uint64_t pos_;
};
