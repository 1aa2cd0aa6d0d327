// The build core's platform on POSIX systems (Linux): what Wine shows of the
// same folder is what the Windows build would see, so the attributes and
// times follow Wine's reading of a Unix file.
#include <dirent.h>
#include <errno.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <vector>
#ifdef __linux__
#include <sys/xattr.h>
#endif

#include "dos_time.h"
#include "iconv_codec.h"
#include "platform.h"
#include "posix_files.h"
#include "utf8.h"

namespace tw {

namespace {

// The zone's offset from UTC now: Windows converts every file time with the
// present offset (FileTimeToLocalFileTime), not the one of the file's date.
int64_t present_utc_offset() {
  time_t now = time(nullptr);
  struct tm local;
  return localtime_r(&now, &local) ? int64_t(local.tm_gmtoff) : 0;
}

// Hidden and system as Wine keeps them: the xattr user.DOSATTRIB holds
// "0x<hex>" (Samba's form), possibly followed by a NUL and more.
uint32_t stored_dos_attributes(const std::string& path) {
#ifdef __linux__
  char text[64] = {};
  ssize_t n = lgetxattr(path.c_str(), "user.DOSATTRIB", text, sizeof text - 1);
  if (n > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    char* end = nullptr;
    unsigned long v = strtoul(text, &end, 16);
    if (*end == 0) return uint32_t(v) & (kFileHidden | kFileSystem);
  }
#endif
  return 0;
}

// Attributes as Wine reports a Unix file: a folder, else archive;
// read-only when no one may write it; hidden for a dot name.
uint32_t attributes_of(const struct stat& st, const std::string& name, const std::string& path) {
  uint32_t a = S_ISDIR(st.st_mode) ? kFileFolder : kFileArchive;
  if (!(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH))) a |= kFileReadOnly;
  if (name[0] == '.') a |= kFileHidden;
  return a | stored_dos_attributes(path);
}

EntryType type_of(const struct stat& st) {
  if (S_ISREG(st.st_mode)) return EntryType::kFile;
  if (S_ISDIR(st.st_mode)) return EntryType::kFolder;
  if (S_ISLNK(st.st_mode)) return EntryType::kLink;
  return EntryType::kOther;
}

std::wstring readable(const std::string& name) { return readable_wide(name); }

class PosixPlatform : public Platform {
 public:
  wchar_t separator() const override { return L'/'; }

  // Made absolute against the current folder, "." and ".." resolved as
  // text (links are not looked at), as GetFullPathName does.
  std::wstring full_path(const std::wstring& path) override {
    std::wstring text = path;
    if (text.empty()) return text;
    if (text[0] != L'/') {
      char cwd[4096];
      std::wstring base;
      if (!getcwd(cwd, sizeof cwd) || !utf8_to_wide(cwd, &base)) return path;
      text = base + L"/" + text;
    }
    std::vector<std::wstring> parts;
    size_t at = 0;
    while (at <= text.size()) {
      size_t slash = text.find(L'/', at);
      if (slash == std::wstring::npos) slash = text.size();
      std::wstring part = text.substr(at, slash - at);
      if (part == L"..") {
        if (!parts.empty()) parts.pop_back();
      } else if (!part.empty() && part != L".") {
        parts.push_back(part);
      }
      at = slash + 1;
    }
    std::wstring out;
    for (const std::wstring& part : parts) out += L"/" + part;
    if (out.empty() || text.back() == L'/') out += L'/';
    return out;
  }
  PathType path_type(const std::wstring& path) override {
    struct stat st;
    if (stat(native_path(path).c_str(), &st) != 0) return PathType::kNone;
    return S_ISDIR(st.st_mode) ? PathType::kFolder : PathType::kFile;
  }
  bool same_path(const std::wstring& a, const std::wstring& b) override { return a == b; }
  bool path_starts_with(const std::wstring& text, const std::wstring& prefix) override {
    return text.compare(0, prefix.size(), prefix) == 0;
  }
  void create_folders(const std::wstring& folder) override {
    std::string path = native_path(folder);
    for (size_t at = 1; at <= path.size(); ++at)
      if (at == path.size() || path[at] == '/') mkdir(path.substr(0, at).c_str(), 0777);
  }

  SysResult list_folder(const std::wstring& folder, std::vector<FolderEntry>* entries) override {
    std::string base = native_path(folder);
    if (!base.empty() && base.back() != '/') base += '/';
    DIR* dir = opendir(base.c_str());
    if (!dir) return errno_result();
    int64_t offset = present_utc_offset();
    SysResult result;
    for (;;) {
      errno = 0;
      struct dirent* d = readdir(dir);
      if (!d) {
        if (errno) result = errno_result();
        break;
      }
      std::string name = d->d_name;
      if (name == "." || name == "..") continue;
      std::string path = base + name;
      struct stat st;
      if (lstat(path.c_str(), &st) != 0) {
        result = errno_result();
        break;
      }
      FolderEntry e;
      e.type = utf8_to_wide(name, &e.name) ? type_of(st) : EntryType::kBadName;
      if (e.type == EntryType::kBadName) e.name = readable(name);
      e.attributes = attributes_of(st, name, path);
      e.dos_time = dos_time_from_local(int64_t(st.st_mtime) + offset);
      e.size = S_ISREG(st.st_mode) ? uint64_t(st.st_size) : 0;
      entries->push_back(std::move(e));
    }
    closedir(dir);
    return result;
  }

  SysResult open_input(const std::wstring& path, std::unique_ptr<InputFile>* file) override {
    return open_input_file(native_path(path), file);
  }
  std::unique_ptr<FileView> view_file(const std::wstring& path) override {
    return map_file(native_path(path));
  }
  SysResult identity_of(const std::wstring& path, FileIdentity* id) override {
    struct stat st;
    if (stat(native_path(path).c_str(), &st) != 0) return errno_result();
    id->volume = uint64_t(st.st_dev);
    id->index = uint64_t(st.st_ino);
    return SysResult::done();
  }

  // A folder cannot be replaced, nor (as on Windows) a file no one may
  // write; a link at the target's name is replaced itself.
  SysResult check_replaceable(const std::wstring& target) override {
    std::string path = native_path(target);
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return errno_result();
    if (S_ISDIR(st.st_mode)) return SysResult::failed(SysResult::kFailed, EISDIR);
    if (S_ISREG(st.st_mode) && !(st.st_mode & 0222))
      return SysResult::failed(SysResult::kFailed, EACCES);
    return SysResult::done();
  }
  SysResult create_new(const std::wstring& path, std::unique_ptr<OutputFile>* file) override {
    return create_new_file(native_path(path), file);
  }
  std::vector<std::wstring> names_starting_with(const std::wstring& folder,
                                                const std::wstring& prefix) override {
    std::vector<std::wstring> names;
    std::vector<FolderEntry> entries;
    list_folder(folder.empty() ? std::wstring(L".") : folder, &entries);
    for (const FolderEntry& e : entries)
      if (e.type == EntryType::kFile && e.name.compare(0, prefix.size(), prefix) == 0)
        names.push_back(e.name);
    return names;
  }
  void remove_leftover(const std::wstring& folder, const std::wstring& name) override {
    std::string base = native_path(folder.empty() ? std::wstring(L".") : folder);
    if (base.back() != '/') base += '/';
    remove_leftover_file(base + native_path(name));
  }
  uint32_t name_seed() override {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return uint32_t(t.tv_nsec) ^ uint32_t(t.tv_sec) ^ (uint32_t(getpid()) << 16);
  }

  uint32_t ansi_code_page() override { return 65001; }
  bool has_code_page(uint32_t code_page) override {
    return code_page == 65001 || iconv_has_code_page(code_page);
  }
  bool encode(uint32_t code_page, const std::wstring& text, std::string* out) override {
    return iconv_encode_exact(code_page, text, out);
  }
  std::wstring error_text(uint32_t code) override {
    char buf[256];
    return readable(strerror_r(int(code), buf, sizeof buf));
  }
  std::wstring own_message(unsigned) override { return std::wstring(); }
};

}  // namespace

Platform& system_platform() {
  static PosixPlatform platform;
  return platform;
}

}  // namespace tw
