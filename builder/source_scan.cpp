#include "source_scan.h"

#include <windows.h>

#include "build_error.h"
#include "message_ids.h"
#include "win_handle.h"

namespace tw {

namespace {

uint32_t dos_time_of(const FILETIME& utc) {
  FILETIME local;
  WORD date = 0, time = 0;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToDosDateTime(&local, &date, &time))
    return 0;
  return uint32_t(date) << 16 | time;
}

bool is_dot_entry(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

void scan_folder(const std::wstring& source, const std::wstring& relative,
                 std::vector<FileItem>* items) {
  WIN32_FIND_DATAW fd;
  std::wstring pattern = source + relative + L"*.*";
  FindHandle find(FindFirstFileW(pattern.c_str(), &fd));
  if (!find.valid()) {
    DWORD err = GetLastError();
    if (err == ERROR_FILE_NOT_FOUND || err == ERROR_NO_MORE_FILES) return;
    // A folder that cannot be listed must not silently leave its files out.
    throw BuildError(kMsgScanFailed, source + relative, err);
  }
  do {
    if (is_dot_entry(fd.cFileName)) continue;
    if (fd.dwFileAttributes & 0x08) continue;  // volume label
    FileItem item;
    item.dos_time = dos_time_of(fd.ftLastWriteTime);
    item.attributes = fd.dwFileAttributes;
    item.name = relative + fd.cFileName;
    bool folder = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    item.size = folder ? 0 : (uint64_t(fd.nFileSizeHigh) << 32 | fd.nFileSizeLow);
    items->push_back(item);
    if (folder) scan_folder(source, item.name + L"\\", items);
  } while (FindNextFileW(find.get(), &fd));
  DWORD err = GetLastError();
  if (err != ERROR_NO_MORE_FILES) throw BuildError(kMsgScanFailed, source + relative, err);
}

}  // namespace

std::vector<FileItem> scan_source(const std::wstring& source) {
  std::vector<FileItem> items;
  scan_folder(source, std::wstring(), &items);
  return items;
}

uint64_t total_size(const std::vector<FileItem>& items) {
  uint64_t total = 0;
  for (const auto& i : items) total += i.size;
  return total;
}

}  // namespace tw
