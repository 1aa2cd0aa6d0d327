#include "whole_file.h"

#include <windows.h>

#include "win_handle.h"

namespace tw {

bool read_whole_file(const std::wstring& path, peres::Bytes* out) {
  FileHandle f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER size;
  if (!f.valid() || !GetFileSizeEx(f.get(), &size) || uint64_t(size.QuadPart) > kMaxEditSource)
    return false;
  peres::Bytes bytes(size_t(size.QuadPart));
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    if (!ReadFile(f.get(), bytes.data() + done, DWORD(bytes.size() - done), &got, nullptr) || !got)
      return false;
    done += got;
  }
  out->swap(bytes);
  return true;
}

}  // namespace tw
