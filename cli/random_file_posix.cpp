#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "system_codes.h"
#include "random_file.h"

namespace tw::cli {

namespace {

class PosixFile : public RandomFile {
 public:
  PosixFile(int fd, uint64_t size) : fd_(fd), size_(size) {}
  ~PosixFile() override { close(fd_); }
  uint64_t size() const override { return size_; }
  bool read_at(uint64_t offset, void* buf, uint32_t n) override {
    char* p = static_cast<char*>(buf);
    while (n) {
      ssize_t got = pread(fd_, p, n, off_t(offset));
      if (got <= 0) return false;
      p += got;
      offset += uint64_t(got);
      n -= uint32_t(got);
    }
    return true;
  }

 private:
  int fd_;
  uint64_t size_;
};

}  // namespace

std::unique_ptr<RandomFile> open_random_file(const std::string& path, uint32_t* error) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *error = windows_code_of(uint32_t(errno));
    return nullptr;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    *error = fstat(fd, &st) != 0 ? windows_code_of(uint32_t(errno)) : 5;  // a folder or device: access denied
    close(fd);
    return nullptr;
  }
  return std::unique_ptr<RandomFile>(new PosixFile(fd, uint64_t(st.st_size)));
}

}  // namespace tw::cli
