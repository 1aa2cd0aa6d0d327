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
#include <cstdio>

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

// Read-only (0x01) is the one attribute a new file takes here: no write
// permission for anyone. The rest (hidden, system, archive) Linux has not.
uint32_t create_file(void*, const wchar_t* path, uint32_t attributes, uint64_t, FsFile* file) {
  mode_t mode = (attributes & 0x01) ? 0444 : 0666;
  int fd = open(native(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
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

// The absolute path with every link resolved, in the pass's form.
uint32_t real_path(const std::string& path, std::wstring* out) {
  char* real = realpath(path.c_str(), nullptr);
  if (!real) return last_error();
  *out = pass_form(real);
  free(real);
  return 0;
}

uint32_t final_path(void*, const wchar_t* path, wchar_t* out, uint32_t cap) {
  out[0] = 0;
  std::wstring real;
  if (uint32_t r = real_path(native(path), &real)) return r;
  if (real.size() >= cap) return 206;
  real.copy(out, real.size());
  out[real.size()] = 0;
  return 0;
}

void close_file(void*, FsFile file) { close(fd_of(file)); }

// Without `replace` an existing `to` stays. Where the file system cannot
// rename that way, a second name is made (it fails when the name is
// taken) and the first one removed.
uint32_t rename_file(void*, const wchar_t* from, const wchar_t* to, bool replace) {
  std::string a = native(from), b = native(to);
  if (replace) return rename(a.c_str(), b.c_str()) == 0 ? 0 : last_error();
  int r = renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_NOREPLACE);
  if (r != 0 && errno == EINVAL && link(a.c_str(), b.c_str()) == 0) r = unlink(a.c_str());
  if (r == 0) return 0;
  return errno == EEXIST ? 183 : last_error();
}

uint32_t remove_file(void*, const wchar_t* path) { return unlink(native(path).c_str()) == 0 ? 0 : last_error(); }

uint32_t remove_folder(void*, const wchar_t* path) { return rmdir(native(path).c_str()) == 0 ? 0 : last_error(); }

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

const FileSystem kPosix = {nullptr,    attributes, create_folder, create_file, write_all,     set_time,
                           close_file, final_path, rename_file,   remove_file, remove_folder, set_attributes};

}  // namespace

const FileSystem* system_file_system() { return &kPosix; }

uint32_t prepare_extract_folder(const std::string& dir, std::wstring* pass_folder,
                                std::vector<std::wstring>* made) {
  if (dir.empty() || dir.find('\\') != std::string::npos) return 123;  // no name the pass can hold
  for (size_t i = 1; i <= dir.size(); ++i) {
    if (i < dir.size() && dir[i] != '/') continue;
    std::string part = dir.substr(0, i);
    if (mkdir(part.c_str(), 0777) != 0) {
      if (errno != EEXIST) return last_error();
      continue;
    }
    std::wstring real;
    if (uint32_t r = real_path(part, &real)) return r;
    made->push_back(real);
  }
  if (uint32_t r = real_path(dir, pass_folder)) return r;
  if (pass_folder->back() != L'\\') *pass_folder += L'\\';
  return 0;
}

std::string shown_path(const std::wstring& pass_path) { return native(pass_path.c_str()); }

}  // namespace tw::cli
