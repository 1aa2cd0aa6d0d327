// The build core's platform on Windows.
#include <windows.h>

#include "dos_time.h"
#include "messages.h"
#include "platform.h"
#include "text_codec.h"
#include "win32_files.h"
#include "win_paths.h"

namespace tw {

namespace {

// 100 ns ticks from 1601 to 1970.
const int64_t kUnixEpochTicks = 116444736000000000LL;

// As the directory search's time reaches the build on Windows: converted to
// local time with the zone's present offset (FileTimeToLocalFileTime), then
// packed.
uint32_t dos_time_of(const FILETIME& utc) {
  FILETIME local;
  if (!FileTimeToLocalFileTime(&utc, &local)) return 0;
  int64_t ticks = int64_t(uint64_t(local.dwHighDateTime) << 32 | local.dwLowDateTime);
  int64_t since_1970 = ticks - kUnixEpochTicks;
  int64_t seconds = since_1970 / 10000000 - (since_1970 % 10000000 < 0);
  return dos_time_from_local(seconds);
}

bool is_dot_entry(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

std::wstring with_separator(const std::wstring& folder) {
  if (folder.empty() || folder.back() == L'\\' || folder.back() == L'/') return folder;
  return folder + L'\\';
}

class Win32Platform : public Platform {
 public:
  wchar_t separator() const override { return L'\\'; }
  std::wstring full_path(const std::wstring& path) override { return full_path_of(path); }
  PathType path_type(const std::wstring& path) override {
    DWORD a = GetFileAttributesW(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return PathType::kNone;
    return (a & FILE_ATTRIBUTE_DIRECTORY) ? PathType::kFolder : PathType::kFile;
  }
  bool same_path(const std::wstring& a, const std::wstring& b) override {
    return equal_ignoring_case(a, b);
  }
  bool path_starts_with(const std::wstring& text, const std::wstring& prefix) override {
    return starts_with_ignoring_case(text, prefix);
  }
  void create_folders(const std::wstring& folder) override { create_folder_tree(folder); }

  SysResult list_folder(const std::wstring& folder, std::vector<FolderEntry>* entries) override {
    WIN32_FIND_DATAW fd;
    FindHandle find(FindFirstFileW((with_separator(folder) + L"*.*").c_str(), &fd));
    if (!find.valid()) {
      DWORD err = GetLastError();
      if (err == ERROR_FILE_NOT_FOUND || err == ERROR_NO_MORE_FILES) return SysResult::done();
      return last_error();
    }
    do {
      if (is_dot_entry(fd.cFileName)) continue;
      FolderEntry e;
      e.name = fd.cFileName;
      bool folder_entry = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      e.type = folder_entry ? EntryType::kFolder : EntryType::kFile;
      e.attributes = fd.dwFileAttributes;
      e.dos_time = dos_time_of(fd.ftLastWriteTime);
      e.size = folder_entry ? 0 : (uint64_t(fd.nFileSizeHigh) << 32 | fd.nFileSizeLow);
      entries->push_back(std::move(e));
    } while (FindNextFileW(find.get(), &fd));
    if (GetLastError() != ERROR_NO_MORE_FILES) return last_error();
    return SysResult::done();
  }

  SysResult open_input(const std::wstring& path, std::unique_ptr<InputFile>* file) override {
    return open_input_file(path, file);
  }
  std::unique_ptr<FileView> view_file(const std::wstring& path) override { return map_file(path); }
  SysResult identity_of(const std::wstring& path, FileIdentity* id) override {
    FileHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.valid()) return last_error();
    *id = identity_of_handle(file.get());
    return SysResult::done();
  }

  // Opening the existing target for writing changes nothing, but tells at
  // once what the final rename would run into: a folder, a read-only file, a
  // program that is running.
  SysResult check_replaceable(const std::wstring& target) override {
    FileHandle existing(CreateFileW(target.c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (existing.valid()) return SysResult::done();
    DWORD error = GetLastError();
    return SysResult::failed(error == ERROR_FILE_NOT_FOUND ? SysResult::kNotFound : SysResult::kFailed,
                             error);
  }
  SysResult create_new(const std::wstring& path, std::unique_ptr<OutputFile>* file) override {
    return create_new_file(path, file);
  }
  std::vector<std::wstring> names_starting_with(const std::wstring& folder,
                                                const std::wstring& prefix) override {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    FindHandle find(FindFirstFileW(long_form(with_separator(folder) + prefix + L"*").c_str(), &found));
    if (!find.valid()) return names;
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileW(find.get(), &found));
    return names;
  }
  void remove_leftover(const std::wstring& folder, const std::wstring& name) override {
    remove_leftover_file(folder.empty() ? std::wstring(L".") : folder, name);
  }
  uint32_t name_seed() override {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return uint32_t(counter.QuadPart) ^ uint32_t(counter.QuadPart >> 32) ^
           (GetCurrentProcessId() << 16) ^ GetTickCount();
  }

  uint32_t ansi_code_page() override { return GetACP(); }
  bool has_code_page(uint32_t code_page) override { return IsValidCodePage(code_page); }
  bool encode(uint32_t code_page, const std::wstring& text, std::string* out) override {
    return to_code_page_exact(code_page, text, out);
  }
  std::wstring error_text(uint32_t code) override { return system_message(code); }
  std::wstring own_message(unsigned id) override { return load_message(id); }
};

}  // namespace

Platform& system_platform() {
  static Win32Platform platform;
  return platform;
}

}  // namespace tw
