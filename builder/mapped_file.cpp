#include "mapped_file.h"

#include <windows.h>

#include "win_handle.h"

namespace tw {

namespace {

class MappedFile : public EditSource {
 public:
  MappedFile(FileHandle mapping, const void* view, size_t size)
      : mapping_(std::move(mapping)), view_(view), size_(size) {}
  ~MappedFile() override { UnmapViewOfFile(view_); }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  peres::ByteView bytes() const override {
    return peres::ByteView(static_cast<const uint8_t*>(view_), size_);
  }

 private:
  FileHandle mapping_;
  const void* view_;
  size_t size_;
};

}  // namespace

std::unique_ptr<EditSource> map_edit_source(const std::wstring& path) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size;
  if (!file.valid() || !GetFileSizeEx(file.get(), &size) || size.QuadPart == 0 ||
      uint64_t(size.QuadPart) > SIZE_MAX)
    return nullptr;
  FileHandle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (!mapping.valid()) return nullptr;
  const void* view = MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0);
  if (!view) return nullptr;
  return std::make_unique<MappedFile>(std::move(mapping), view, size_t(size.QuadPart));
}

}  // namespace tw
