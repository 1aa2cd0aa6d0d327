#include "file_io.h"

#include <string.h>
#include <windows.h>

#include "build_error.h"
#include "message_ids.h"

namespace tw {

namespace {

const size_t kSinkBuffer = 1 << 20;

void write_all(HANDLE h, const void* data, size_t n, const std::wstring& path) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  while (n) {
    DWORD part = n > 0x40000000 ? 0x40000000 : DWORD(n), written = 0;
    if (!WriteFile(h, p, part, &written, nullptr))
      throw BuildError(kMsgWriteFailed, path, GetLastError());
    // A write that succeeds without taking a byte sets no error code: the
    // disk has no room left.
    if (written == 0) throw BuildError(kMsgWriteFailed, path, ERROR_DISK_FULL);
    p += written;
    n -= written;
  }
}

FileIdentity identity_of_handle(HANDLE h) {
  FileIdentity id;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileInformationByHandle(h, &info)) {
    id.volume = info.dwVolumeSerialNumber;
    id.index = uint64_t(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
  }
  wchar_t buf[2048];
  DWORD n = GetFinalPathNameByHandleW(h, buf, 2048, FILE_NAME_NORMALIZED);
  if (n && n < 2048) id.final_path.assign(buf, n);
  return id;
}

}  // namespace

bool same_file(const FileIdentity& a, const FileIdentity& b) {
  if (a.index && a.index == b.index && a.volume == b.volume) return true;
  return !a.final_path.empty() &&
         CompareStringOrdinal(a.final_path.c_str(), int(a.final_path.size()), b.final_path.c_str(),
                              int(b.final_path.size()), TRUE) == CSTR_EQUAL;
}

bool identity_of(const std::wstring& path, FileIdentity* out) {
  FileHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.valid()) return false;
  *out = identity_of_handle(file.get());
  return true;
}

FileSink::FileSink(FileHandle file, std::wstring shown_path)
    : path_(std::move(shown_path)), file_(std::move(file)) {
  buffer_.resize(kSinkBuffer);
}

FileSink::~FileSink() = default;  // an unflushed rest is dropped: the build failed

void FileSink::flush() {
  if (used_) write_all(file_.get(), buffer_.data(), used_, path_);
  used_ = 0;
}

void FileSink::write(const void* data, size_t n) {
  if (used_ + n > buffer_.size()) {
    flush();
    if (n >= buffer_.size()) {
      write_all(file_.get(), data, n, path_);
      return;
    }
  }
  memcpy(buffer_.data() + used_, data, n);
  used_ += n;
}

void FileSink::close() {
  flush();
  if (!FlushFileBuffers(file_.get())) throw BuildError(kMsgWriteFailed, path_, GetLastError());
  if (!CloseHandle(file_.release())) throw BuildError(kMsgWriteFailed, path_, GetLastError());
}

void FileSink::discard() {
  used_ = 0;
  FILE_DISPOSITION_INFO disposition = {TRUE};
  SetFileInformationByHandle(file_.get(), FileDispositionInfo, &disposition, sizeof disposition);
  file_.close();
}

FileSource::FileSource(const std::wstring& path, uint64_t expected_size)
    : path_(path),
      file_(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr)) {
  if (!file_.valid()) throw BuildError(kMsgOpenFailed, path, GetLastError());
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file_.get(), &size)) throw BuildError(kMsgReadFailed, path, GetLastError());
  if (uint64_t(size.QuadPart) != expected_size) throw BuildError(kMsgSourceChanged, path);
}

void FileSource::read_exact(void* buf, size_t n) {
  unsigned char* p = static_cast<unsigned char*>(buf);
  while (n) {
    DWORD got = 0;
    if (!ReadFile(file_.get(), p, DWORD(n), &got, nullptr))
      throw BuildError(kMsgReadFailed, path_, GetLastError());
    if (got == 0) throw BuildError(kMsgSourceChanged, path_);  // shrank meanwhile
    p += got;
    n -= got;
  }
}

void FileSource::check_at_end() {
  unsigned char probe;
  DWORD got = 0;
  if (!ReadFile(file_.get(), &probe, 1, &got, nullptr))
    throw BuildError(kMsgReadFailed, path_, GetLastError());
  if (got) throw BuildError(kMsgSourceChanged, path_);
}

FileIdentity FileSource::identity() const { return identity_of_handle(file_.get()); }

void MemorySource::read_exact(void* buf, size_t n) {
  if (n > left_) throw BuildError(kMsgUnexpected, L"");
  memcpy(buf, data_, n);
  data_ += n;
  left_ -= n;
}

}  // namespace tw
