#include <windows.h>

#include "random_file.h"
#include "utf.h"
#include "win_handle.h"

namespace tw::cli {

namespace {

class WinFile : public RandomFile {
 public:
  WinFile(FileHandle file, uint64_t size) : file_(std::move(file)), size_(size) {}
  uint64_t size() const override { return size_; }
  bool read_at(uint64_t offset, void* buf, uint32_t n) override {
    char* p = static_cast<char*>(buf);
    while (n) {
      OVERLAPPED at = {};
      at.Offset = DWORD(offset);
      at.OffsetHigh = DWORD(offset >> 32);
      DWORD got = 0;
      if (!ReadFile(file_.get(), p, n, &got, &at) || got == 0) return false;
      p += got;
      offset += got;
      n -= got;
    }
    return true;
  }

 private:
  FileHandle file_;
  uint64_t size_;
};

}  // namespace

std::unique_ptr<RandomFile> open_random_file(const std::string& path, uint32_t* error) {
  FileHandle file(CreateFileW(wide_of(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size;
  if (!file.valid() || !GetFileSizeEx(file.get(), &size)) {
    *error = GetLastError();
    return nullptr;
  }
  return std::unique_ptr<RandomFile>(new WinFile(std::move(file), uint64_t(size.QuadPart)));
}

}  // namespace tw::cli
