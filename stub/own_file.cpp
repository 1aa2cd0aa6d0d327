#include "own_file.h"

bool OwnFile::open(const wchar_t* path) {
  file_ = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file_ == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file_, &size)) return false;
  size_ = uint64_t(size.QuadPart);
  pos_ = 0;
  return true;
}

bool OwnFile::read_at(uint64_t offset, void* buf, uint32_t n) {
  if (offset != pos_) {
    LARGE_INTEGER to;
    to.QuadPart = LONGLONG(offset);
    if (!SetFilePointerEx(file_, to, nullptr, FILE_BEGIN)) return false;
    pos_ = offset;
  }
  return read(buf, n);
}

bool OwnFile::read(void* buf, uint32_t n) {
  unsigned char* p = static_cast<unsigned char*>(buf);
  while (n) {
    DWORD got = 0;
    if (!ReadFile(file_, p, n, &got, nullptr)) {
      pos_ = ~uint64_t(0);  // unknown: the next read_at seeks
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
