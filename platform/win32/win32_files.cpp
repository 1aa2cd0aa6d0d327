#include "win32_files.h"

namespace tw {

SysResult last_error() {
  DWORD e = GetLastError();
  SysResult::Kind kind = SysResult::kFailed;
  if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) kind = SysResult::kNotFound;
  if (e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS) kind = SysResult::kExists;
  return SysResult::failed(kind, e ? e : ERROR_GEN_FAILURE);
}

std::wstring long_form(const std::wstring& path) {
  if (path.size() < MAX_PATH || path.compare(0, 4, L"\\\\?\\") == 0) return path;
  if (path.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC" + path.substr(1);
  return L"\\\\?\\" + path;
}

namespace {

std::wstring final_path_of(HANDLE h) {
  wchar_t buf[2048];
  DWORD n = GetFinalPathNameByHandleW(h, buf, 2048, FILE_NAME_NORMALIZED);
  return n && n < 2048 ? std::wstring(buf, n) : std::wstring();
}

bool delete_through(HANDLE h) {
  FILE_DISPOSITION_INFO disposition = {TRUE};
  return SetFileInformationByHandle(h, FileDispositionInfo, &disposition, sizeof disposition);
}

class Win32Input : public InputFile {
 public:
  Win32Input(FileHandle file, uint64_t size) : file_(std::move(file)), size_(size) {}
  uint64_t size() const override { return size_; }
  SysResult read(void* buf, size_t n, size_t* got) override {
    DWORD part = n > 0x40000000 ? 0x40000000 : DWORD(n), done = 0;
    if (!ReadFile(file_.get(), buf, part, &done, nullptr)) return last_error();
    *got = done;
    return SysResult::done();
  }
  FileIdentity identity() override { return identity_of_handle(file_.get()); }

 private:
  FileHandle file_;
  uint64_t size_;
};

class Win32Output : public OutputFile {
 public:
  explicit Win32Output(FileHandle file) : file_(std::move(file)) {}
  ~Win32Output() override {
    if (!committed_) delete_through(file_.get());
  }
  SysResult write(const void* data, size_t n) override {
    const unsigned char* p = static_cast<const unsigned char*>(data);
    while (n) {
      DWORD part = n > 0x40000000 ? 0x40000000 : DWORD(n), written = 0;
      if (!WriteFile(file_.get(), p, part, &written, nullptr)) return last_error();
      // A write that succeeds without taking a byte sets no error code: the
      // disk has no room left.
      if (written == 0) return SysResult::failed(SysResult::kFailed, ERROR_DISK_FULL);
      p += written;
      n -= written;
    }
    return SysResult::done();
  }
  SysResult flush() override {
    return FlushFileBuffers(file_.get()) ? SysResult::done() : last_error();
  }
  // Renamed through the handle: the file that takes the target's name is
  // the one written here, whatever happened to its temporary name.
  SysResult commit(const std::wstring& target) override {
    std::wstring to = long_form(target);
    std::vector<unsigned char> buf(sizeof(FILE_RENAME_INFO) + to.size() * sizeof(wchar_t));
    FILE_RENAME_INFO* info = reinterpret_cast<FILE_RENAME_INFO*>(buf.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = DWORD(to.size() * sizeof(wchar_t));
    memcpy(info->FileName, to.c_str(), (to.size() + 1) * sizeof(wchar_t));
    if (!SetFileInformationByHandle(file_.get(), FileRenameInfo, info, DWORD(buf.size())))
      return last_error();
    committed_ = true;
    return SysResult::done();
  }

 private:
  FileHandle file_;
  bool committed_ = false;
};

class MappedFile : public FileView {
 public:
  MappedFile(FileHandle mapping, const void* view, size_t size)
      : mapping_(std::move(mapping)), view_(view), size_(size) {}
  ~MappedFile() override { UnmapViewOfFile(view_); }
  const uint8_t* data() const override { return static_cast<const uint8_t*>(view_); }
  size_t size() const override { return size_; }

 private:
  FileHandle mapping_;
  const void* view_;
  size_t size_;
};

}  // namespace

FileIdentity identity_of_handle(HANDLE h) {
  FileIdentity id;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileInformationByHandle(h, &info)) {
    id.volume = info.dwVolumeSerialNumber;
    id.index = uint64_t(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
  }
  id.final_path = final_path_of(h);
  return id;
}

SysResult open_input_file(const std::wstring& path, std::unique_ptr<InputFile>* out) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER size;
  if (!file.valid() || !GetFileSizeEx(file.get(), &size)) return last_error();
  *out = std::make_unique<Win32Input>(std::move(file), uint64_t(size.QuadPart));
  return SysResult::done();
}

SysResult create_new_file(const std::wstring& path, std::unique_ptr<OutputFile>* out) {
  // DELETE: the file is renamed or deleted through this handle.
  FileHandle file(CreateFileW(long_form(path).c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ,
                              nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return last_error();
  *out = std::make_unique<Win32Output>(std::move(file));
  return SysResult::done();
}

std::unique_ptr<FileView> map_file(const std::wstring& path) {
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

// Checked and deleted through one handle opened on the name itself (a link
// is not followed); attributes are never touched. Where links are not
// reparse points (Wine shows a Unix link to a file as the file it reaches)
// the handle's final path tells: it must be the folder's own path and name.
// A file another build still writes cannot be opened for deletion.
void remove_leftover_file(const std::wstring& folder, const std::wstring& name) {
  FileHandle dir(CreateFileW(long_form(folder).c_str(), FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  std::wstring expected = dir.valid() ? final_path_of(dir.get()) : std::wstring();
  if (expected.empty()) return;
  if (expected.back() != L'\\') expected += L'\\';
  expected += name;

  std::wstring path = folder;
  if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
  FileHandle file(CreateFileW(long_form(path + name).c_str(), DELETE | FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT,
                              nullptr));
  if (!file.valid()) return;
  const DWORD kNotPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT |
                          FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DEVICE;
  BY_HANDLE_FILE_INFORMATION info;
  FILE_ATTRIBUTE_TAG_INFO tag;
  if (!GetFileInformationByHandle(file.get(), &info) || (info.dwFileAttributes & kNotPlain) ||
      info.nNumberOfLinks != 1 ||
      !GetFileInformationByHandleEx(file.get(), FileAttributeTagInfo, &tag, sizeof tag) ||
      (tag.FileAttributes & kNotPlain))
    return;
  std::wstring actual = final_path_of(file.get());
  if (CompareStringOrdinal(actual.c_str(), int(actual.size()), expected.c_str(),
                           int(expected.size()), TRUE) != CSTR_EQUAL)
    return;
  delete_through(file.get());
}

}  // namespace tw
