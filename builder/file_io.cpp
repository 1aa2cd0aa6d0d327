#include "file_io.h"

#include <string.h>

#include "build_error.h"
#include "message_ids.h"

namespace tw {

namespace {
const size_t kSinkBuffer = 1 << 20;
}

FileSink::FileSink(std::unique_ptr<OutputFile> file, std::wstring shown_path)
    : path_(std::move(shown_path)), file_(std::move(file)) {
  buffer_.resize(kSinkBuffer);
}

FileSink::~FileSink() = default;  // an unflushed rest is dropped: the build failed

void FileSink::flush() {
  if (used_) {
    SysResult r = file_->write(buffer_.data(), used_);
    if (!r.ok()) throw BuildError(kMsgWriteFailed, path_, r.code);
  }
  used_ = 0;
}

void FileSink::write(const void* data, size_t n) {
  if (used_ + n > buffer_.size()) {
    flush();
    if (n >= buffer_.size()) {
      SysResult r = file_->write(data, n);
      if (!r.ok()) throw BuildError(kMsgWriteFailed, path_, r.code);
      return;
    }
  }
  memcpy(buffer_.data() + used_, data, n);
  used_ += n;
}

void FileSink::commit(const std::wstring& target) {
  flush();
  SysResult r = file_->flush();
  if (!r.ok()) throw BuildError(kMsgWriteFailed, path_, r.code);
  r = file_->commit(target);
  if (!r.ok()) throw BuildError(kMsgCreateFailed, target, r.code);
}

FileSource::FileSource(Platform& platform, const std::wstring& path, uint64_t expected_size)
    : path_(path) {
  SysResult r = platform.open_input(path, &file_);
  if (!r.ok()) throw BuildError(kMsgOpenFailed, path, r.code);
  if (file_->size() != expected_size) throw BuildError(kMsgSourceChanged, path);
}

void FileSource::read_exact(void* buf, size_t n) {
  unsigned char* p = static_cast<unsigned char*>(buf);
  while (n) {
    size_t got = 0;
    SysResult r = file_->read(p, n, &got);
    if (!r.ok()) throw BuildError(kMsgReadFailed, path_, r.code);
    if (got == 0) throw BuildError(kMsgSourceChanged, path_);  // shrank meanwhile
    p += got;
    n -= got;
  }
}

void FileSource::check_at_end() {
  unsigned char probe;
  size_t got = 0;
  SysResult r = file_->read(&probe, 1, &got);
  if (!r.ok()) throw BuildError(kMsgReadFailed, path_, r.code);
  if (got) throw BuildError(kMsgSourceChanged, path_);
}

void MemorySource::read_exact(void* buf, size_t n) {
  if (n > left_) throw BuildError(kMsgUnexpected, L"");
  memcpy(buf, data_, n);
  data_ += n;
  left_ -= n;
}

}  // namespace tw
