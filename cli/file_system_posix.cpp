// The extraction pass's file-system table on Linux. The pass works with
// Windows paths (backslash separators, wide characters); here they become
// UTF-8 paths with slashes. Links are never followed: attributes come from
// lstat, files are created with O_EXCL | O_NOFOLLOW, attributes are set
// without following.
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "extract_folder.h"
#include "system_codes.h"
#include "utf.h"

namespace tw::cli {

namespace {

std::string native(const wchar_t* pass_path) {
  std::string s = utf8_of(pass_path);
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}

std::wstring pass_form(const std::string& native_path) {
  std::wstring w = wide_of(native_path);
  for (wchar_t& c : w)
    if (c == L'/') c = L'\\';
  return w;
}

int fd_of(FsFile f) { return int(reinterpret_cast<intptr_t>(f)) - 1; }
FsFile file_of(int fd) { return reinterpret_cast<FsFile>(intptr_t(fd) + 1); }

uint32_t last_error() { return windows_code_of(uint32_t(errno)); }

uint32_t copy_out(const std::string& native_path, wchar_t* out, uint32_t cap) {
  std::wstring w = pass_form(native_path);
  if (w.size() >= cap) return 206;
  w.copy(out, w.size());
  out[w.size()] = 0;
  return 0;
}

uint32_t attributes(void*, const wchar_t* path) {
  struct stat st;
  std::string p = native(path);
  if (lstat(p.c_str(), &st) != 0) return kFsNoFile;
  if (S_ISLNK(st.st_mode)) {
    struct stat target;
    bool folder = stat(p.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
    return kFsReparsePoint | (folder ? kFsDirectory : 0);
  }
  if (S_ISDIR(st.st_mode)) return kFsDirectory;
  return 0x20 | ((st.st_mode & S_IWUSR) ? 0 : 0x01);
}

uint32_t create_folder(void*, const wchar_t* path) {
  if (mkdir(native(path).c_str(), 0777) == 0) return 0;
  return errno == EEXIST ? 183 : errno == ENOENT ? 3 : last_error();
}

uint32_t create_file(void*, const wchar_t* path, FsFile* file) {
  int fd = open(native(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return errno == ENOENT ? 3 : last_error();
  *file = file_of(fd);
  return 0;
}

uint32_t write_all(void*, FsFile file, const void* data, uint32_t n) {
  const char* p = static_cast<const char*>(data);
  while (n) {
    ssize_t put = write(fd_of(file), p, n);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return last_error();
    if (put == 0) return 112;  // nothing taken: no room
    p += put;
    n -= uint32_t(put);
  }
  return 0;
}

// The DOS date-time is local time, as the maker's scan read it.
void set_time(void*, FsFile file, uint32_t dos_time) {
  struct tm t = {};
  unsigned date = dos_time >> 16, time = dos_time & 0xFFFF;
  t.tm_year = int(1980 + (date >> 9)) - 1900;
  t.tm_mon = int((date >> 5) & 15) - 1;
  t.tm_mday = int(date & 31);
  t.tm_hour = int(time >> 11);
  t.tm_min = int((time >> 5) & 63);
  t.tm_sec = int((time & 31) * 2);
  t.tm_isdst = -1;
  time_t when = mktime(&t);
  if (when == time_t(-1)) return;
  struct timespec times[2] = {{0, UTIME_OMIT}, {when, 0}};
  futimens(fd_of(file), times);
}

uint32_t final_path(void*, FsFile file, wchar_t* out, uint32_t cap) {
  out[0] = 0;
  char link[64], real[4096];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd_of(file));
  ssize_t n = readlink(link, real, sizeof real - 1);
  if (n <= 0) return 0;  // no /proc: the system cannot tell
  real[n] = 0;
  return copy_out(real, out, cap);
}

uint32_t folder_final_path(void*, const wchar_t* path, wchar_t* out, uint32_t cap) {
  out[0] = 0;
  char* real = realpath(native(path).c_str(), nullptr);
  if (!real) return last_error();
  uint32_t r = copy_out(real, out, cap);
  free(real);
  return r;
}

void close_file(void*, FsFile file) { close(fd_of(file)); }

uint32_t replace(void*, const wchar_t* from, const wchar_t* to) {
  return rename(native(from).c_str(), native(to).c_str()) == 0 ? 0 : last_error();
}

uint32_t remove_file(void*, const wchar_t* path) { return unlink(native(path).c_str()) == 0 ? 0 : last_error(); }

// Only the read-only bit has a meaning here: it takes away (or gives back)
// the owner's write permission of a file. A folder keeps its permissions:
// on Windows a read-only folder still takes new files.
uint32_t set_attributes(void*, const wchar_t* path, uint32_t a) {
  std::string p = native(path);
  struct stat st;
  if (lstat(p.c_str(), &st) != 0) return last_error();
  if (!S_ISREG(st.st_mode)) return 0;
  mode_t mode = st.st_mode & 07777;
  mode = (a & 0x01) ? mode & ~mode_t(0222) : mode | S_IWUSR;
  return fchmodat(AT_FDCWD, p.c_str(), mode, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : last_error();
}

const FileSystem kPosix = {nullptr,    attributes,        create_folder, create_file, write_all,   set_time,
                           final_path, folder_final_path, close_file,    replace,     remove_file, set_attributes};

}  // namespace

const FileSystem* system_file_system() { return &kPosix; }

uint32_t prepare_extract_folder(const std::string& dir, std::wstring* pass_folder) {
  if (dir.empty() || dir.find('\\') != std::string::npos) return 123;  // no name the pass can hold
  for (size_t i = 1; i <= dir.size(); ++i) {
    if (i < dir.size() && dir[i] != '/') continue;
    if (mkdir(dir.substr(0, i).c_str(), 0777) != 0 && errno != EEXIST) return last_error();
  }
  char* real = realpath(dir.c_str(), nullptr);
  if (!real) return last_error();
  *pass_folder = pass_form(real);
  free(real);
  if (pass_folder->back() != L'\\') *pass_folder += L'\\';
  return 0;
}

std::string shown_path(const std::wstring& pass_path) { return native(pass_path.c_str()); }

}  // namespace tw::cli
