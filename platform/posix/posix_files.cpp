#include "posix_files.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "utf8.h"

namespace tw {

SysResult errno_result() {
  int e = errno ? errno : EIO;
  SysResult::Kind kind = e == ENOENT || e == ENOTDIR ? SysResult::kNotFound
                         : e == EEXIST               ? SysResult::kExists
                                                     : SysResult::kFailed;
  return SysResult::failed(kind, uint32_t(e));
}

std::string native_path(const std::wstring& path) {
  std::string out;
  wide_to_utf8(path, &out);  // wide paths come from UTF-8 names or the user's text
  return out;
}

namespace {

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(Fd&& o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }

 private:
  int fd_;
};

bool same_inode(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether path still names the file open as fd (nobody swapped it).
bool names_open_file(const std::string& path, int fd) {
  struct stat by_name, by_fd;
  return lstat(path.c_str(), &by_name) == 0 && fstat(fd, &by_fd) == 0 && same_inode(by_name, by_fd);
}

// Opens a regular file for reading without following a link at its name
// and without waiting on a FIFO.
Fd open_regular(const std::string& path, struct stat* st) {
  Fd fd(open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (!fd.valid()) return fd;
  if (fstat(fd.get(), st) != 0) return Fd();
  if (!S_ISREG(st->st_mode)) {
    errno = EINVAL;
    return Fd();
  }
  fcntl(fd.get(), F_SETFL, fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
  return fd;
}

class PosixInput : public InputFile {
 public:
  PosixInput(Fd fd, const struct stat& st) : fd_(std::move(fd)), st_(st) {}
  uint64_t size() const override { return uint64_t(st_.st_size); }
  SysResult read(void* buf, size_t n, size_t* got) override {
    ssize_t r;
    do r = ::read(fd_.get(), buf, n > 0x40000000 ? 0x40000000 : n);
    while (r < 0 && errno == EINTR);
    if (r < 0) return errno_result();
    *got = size_t(r);
    return SysResult::done();
  }
  FileIdentity identity() override {
    FileIdentity id;
    id.volume = uint64_t(st_.st_dev);
    id.index = uint64_t(st_.st_ino);
    return id;
  }

 private:
  Fd fd_;
  struct stat st_;
};

class PosixOutput : public OutputFile {
 public:
  PosixOutput(Fd fd, std::string path) : fd_(std::move(fd)), path_(std::move(path)) {}
  ~PosixOutput() override {
    if (!committed_ && names_open_file(path_, fd_.get())) unlink(path_.c_str());
  }
  SysResult write(const void* data, size_t n) override {
    const char* p = static_cast<const char*>(data);
    while (n) {
      ssize_t w = ::write(fd_.get(), p, n > 0x40000000 ? 0x40000000 : n);
      if (w < 0 && errno == EINTR) continue;
      if (w < 0) return errno_result();
      if (w == 0) return SysResult::failed(SysResult::kFailed, ENOSPC);
      p += w;
      n -= size_t(w);
    }
    return SysResult::done();
  }
  SysResult flush() override { return fsync(fd_.get()) == 0 ? SysResult::done() : errno_result(); }
  // The temporary name must still be this file: only what was written here
  // takes the target's name.
  SysResult commit(const std::wstring& target) override {
    if (!names_open_file(path_, fd_.get())) return SysResult::failed(SysResult::kFailed, ESTALE);
    if (rename(path_.c_str(), native_path(target).c_str()) != 0) return errno_result();
    committed_ = true;
    return SysResult::done();
  }

 private:
  Fd fd_;
  std::string path_;
  bool committed_ = false;
};

class MappedFile : public FileView {
 public:
  MappedFile(void* view, size_t size) : view_(view), size_(size) {}
  ~MappedFile() override { munmap(view_, size_); }
  const uint8_t* data() const override { return static_cast<const uint8_t*>(view_); }
  size_t size() const override { return size_; }

 private:
  void* view_;
  size_t size_;
};

}  // namespace

SysResult open_input_file(const std::string& path, std::unique_ptr<InputFile>* out) {
  struct stat st;
  Fd fd = open_regular(path, &st);
  if (!fd.valid()) return errno_result();
  *out = std::make_unique<PosixInput>(std::move(fd), st);
  return SysResult::done();
}

// Locked while it is written, so that another build's clean-up leaves it.
SysResult create_new_file(const std::string& path, std::unique_ptr<OutputFile>* out) {
  Fd fd(open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
  if (!fd.valid()) return errno_result();
  flock(fd.get(), LOCK_EX | LOCK_NB);
  *out = std::make_unique<PosixOutput>(std::move(fd), path);
  return SysResult::done();
}

std::unique_ptr<FileView> map_file(const std::string& path) {
  struct stat st;
  Fd fd = open_regular(path, &st);
  if (!fd.valid() || st.st_size == 0 || uint64_t(st.st_size) > SIZE_MAX) return nullptr;
  void* view = mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_PRIVATE, fd.get(), 0);
  if (view == MAP_FAILED) return nullptr;
  return std::make_unique<MappedFile>(view, size_t(st.st_size));
}

// Only a plain file with one name, not read-only and not locked by a build
// still writing it; unlinking a name never touches what a link reaches.
void remove_leftover_file(const std::string& path) {
  struct stat st;
  Fd fd = open_regular(path, &st);
  if (!fd.valid() || st.st_nlink != 1 || !(st.st_mode & 0222)) return;
  if (flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return;
  if (names_open_file(path, fd.get())) unlink(path.c_str());
}

}  // namespace tw
