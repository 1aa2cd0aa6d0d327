#pragma once
// What the build core asks of the system it runs on: list a folder, read a
// file, tell which file a path reaches, write the new SFX file under a
// temporary name and give it the target's name, remove the leftovers of
// killed builds, and convert texts to code pages. One implementation per
// system (platform/win32, platform/posix) and an in-memory one for the unit
// tests. Portable: no <windows.h>. Threads are in threads.h.
//
// Paths are the system's own (C:\out\setup.exe, /home/me/setup.exe) as wide
// text; their separator is separator().
#include <stddef.h>
#include <stdint.h>

#include <memory>
#include <string>
#include <vector>

namespace tw {

// The outcome of a call that can fail: the system's own error code
// (GetLastError() on Windows, errno on POSIX) and the few kinds of failure
// the core tells apart.
struct SysResult {
  enum Kind { kDone, kNotFound, kExists, kFailed };
  Kind kind = kDone;
  uint32_t code = 0;
  bool ok() const { return kind == kDone; }
  static SysResult done() { return SysResult(); }
  static SysResult failed(Kind kind, uint32_t code) {
    SysResult r;
    r.kind = kind;
    r.code = code;
    return r;
  }
};

// Windows attribute bits, as a directory search reports them.
const uint32_t kFileReadOnly = 0x01;
const uint32_t kFileHidden = 0x02;
const uint32_t kFileSystem = 0x04;
const uint32_t kFileVolumeLabel = 0x08;
const uint32_t kFileFolder = 0x10;
const uint32_t kFileArchive = 0x20;

enum class EntryType {
  kFile,
  kFolder,
  kLink,       // a symbolic link (POSIX); never followed
  kOther,      // a FIFO, socket or device (POSIX)
  kBadName,    // a name that is not text in the system's encoding (POSIX)
};

struct FolderEntry {
  std::wstring name;  // one component, as the system spells it
  EntryType type = EntryType::kFile;
  uint32_t attributes = 0;
  uint32_t dos_time = 0;  // last write, local packed DOS date-time (dos_time.h)
  uint64_t size = 0;      // 0 for a folder
};

// Which file a path or an open file reaches, whatever the spelling (drive
// letter, short name, letter case, links): volume and file number, and the
// final path the system resolves it to.
struct FileIdentity {
  uint64_t volume = 0;
  uint64_t index = 0;
  std::wstring final_path;
};
bool same_file(const FileIdentity& a, const FileIdentity& b);

// A source file open for reading.
class InputFile {
 public:
  virtual ~InputFile() = default;
  virtual uint64_t size() const = 0;  // when it was opened
  // Up to n bytes; *got = 0 at the end of the file.
  virtual SysResult read(void* buf, size_t n, size_t* got) = 0;
  virtual FileIdentity identity() = 0;
};

// A new file being written. Unless committed, it is deleted when this ends
// (through its own handle: never another file that took its name).
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  // All n bytes, or an error (a full disk is one).
  virtual SysResult write(const void* data, size_t n) = 0;
  // Everything written reaches the disk.
  virtual SysResult flush() = 0;
  // Takes the name target, replacing the file that has it.
  virtual SysResult commit(const std::wstring& target) = 0;
};

// A whole file's bytes, valid while this lives (a mapping where the system
// has one).
class FileView {
 public:
  virtual ~FileView() = default;
  virtual const uint8_t* data() const = 0;
  virtual size_t size() const = 0;
};

enum class PathType { kNone, kFile, kFolder };

class Platform {
 public:
  virtual ~Platform() = default;

  virtual wchar_t separator() const = 0;
  // The absolute form of path ("." and ".." resolved, links not); the text
  // unchanged when there is none.
  virtual std::wstring full_path(const std::wstring& path) = 0;
  virtual PathType path_type(const std::wstring& path) = 0;
  // Whether two path texts name the same path as the system compares names
  // (Windows: without regard to case).
  virtual bool same_path(const std::wstring& a, const std::wstring& b) = 0;
  virtual bool path_starts_with(const std::wstring& text, const std::wstring& prefix) = 0;
  // Creates folder and its missing parents, as far as it can: a folder that
  // cannot be made shows when a file in it cannot be created.
  virtual void create_folders(const std::wstring& folder) = 0;

  // Every entry of folder but "." and "..", in the order the system gives.
  virtual SysResult list_folder(const std::wstring& folder, std::vector<FolderEntry>* entries) = 0;
  virtual SysResult open_input(const std::wstring& path, std::unique_ptr<InputFile>* file) = 0;
  // nullptr when the file cannot be read (an empty file cannot).
  virtual std::unique_ptr<FileView> view_file(const std::wstring& path) = 0;
  // kNotFound when nothing has that name.
  virtual SysResult identity_of(const std::wstring& path, FileIdentity* id) = 0;

  // Whether an existing target could be replaced (kNotFound when there is
  // none): a folder, a read-only file or a running program cannot.
  virtual SysResult check_replaceable(const std::wstring& target) = 0;
  // A new file that did not exist (kExists when the name is taken).
  virtual SysResult create_new(const std::wstring& path, std::unique_ptr<OutputFile>* file) = 0;
  // Names in folder that start with prefix (also by a short name where the
  // system has them: the caller checks the names it gets).
  virtual std::vector<std::wstring> names_starting_with(const std::wstring& folder,
                                                        const std::wstring& prefix) = 0;
  // Deletes folder + name only when it is a plain file with one name that
  // lies in folder itself (not a link, nothing in use): what a killed build
  // of ours leaves. Anything else is left as it is.
  virtual void remove_leftover(const std::wstring& folder, const std::wstring& name) = 0;
  // Seeds the numbers of temporary names: differs from run to run.
  virtual uint32_t name_seed() = 0;

  // The code page texts are stored in when nothing else is asked for: the
  // ANSI code page on Windows, 65001 (UTF-8) on POSIX.
  virtual uint32_t ansi_code_page() = 0;
  virtual bool has_code_page(uint32_t code_page) = 0;
  // text in code_page, only when it converts back to exactly the same
  // text (no character replaced or approximated). Not for 65001.
  virtual bool encode(uint32_t code_page, const std::wstring& text, std::string* out) = 0;
  // The system's words for one of its error codes.
  virtual std::wstring error_text(uint32_t code) = 0;
  // A text of the program's own string table; empty where it has none.
  virtual std::wstring own_message(unsigned id) = 0;
};

// The platform of the system the program runs on.
Platform& system_platform();

}  // namespace tw
