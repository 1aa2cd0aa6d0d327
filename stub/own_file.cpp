#include "own_file.h"

#include <string.h>

namespace {

const uint32_t kAhead = 256 * 1024;
unsigned char g_ahead[kAhead];  // .bss: no room in the file

}  // namespace

bool OwnFile::open(const wchar_t* path) {
  file_ = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file_ == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file_, &size)) return false;
  size_ = uint64_t(size.QuadPart);
  pos_ = 0;
  ahead_len_ = 0;
  return true;
}

bool OwnFile::read_at(uint64_t offset, void* buf, uint32_t n) {
  if (offset >= ahead_start_ && offset - ahead_start_ <= ahead_len_ && n <= ahead_len_ - (offset - ahead_start_)) {
    memcpy(buf, g_ahead + (offset - ahead_start_), n);
    return true;
  }
  if (n >= kAhead / 2 || offset >= size_) return read_direct(offset, buf, n);
  uint64_t left = size_ - offset;
  uint32_t fill = left < kAhead ? uint32_t(left) : kAhead;
  ahead_len_ = 0;
  if (fill < n || !read_direct(offset, g_ahead, fill)) return false;
  ahead_start_ = offset;
  ahead_len_ = fill;
  memcpy(buf, g_ahead, n);
  return true;
}

bool OwnFile::read_direct(uint64_t offset, void* buf, uint32_t n) {
  if (offset != pos_) {
    LARGE_INTEGER to;
    to.QuadPart = LONGLONG(offset);
    if (!SetFilePointerEx(file_, to, nullptr, FILE_BEGIN)) return false;
    pos_ = offset;
  }
  unsigned char* p = static_cast<unsigned char*>(buf);
  while (n) {
    DWORD got = 0;
    if (!ReadFile(file_, p, n, &got, nullptr)) {
      pos_ = ~uint64_t(0);  // unknown: the next read seeks
      return false;
    }
    pos_ += got;
    if (got == 0) {
      SetLastError(ERROR_HANDLE_EOF);
      return false;
    }
    p += got;
    n -= got;
  }
  return true;
}
