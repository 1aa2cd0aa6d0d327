#include "source_scan.h"

#include <algorithm>

#include "build_error.h"
#include "message_ids.h"
#include "name_order.h"
#include "path_text.h"

namespace tw {

namespace {

void refuse(const FolderEntry& e, const std::wstring& path) {
  switch (e.type) {
    case EntryType::kLink: throw BuildError(kMsgLinkInSource, path);
    case EntryType::kOther: throw BuildError(kMsgSpecialFileInSource, path);
    case EntryType::kBadName: throw BuildError(kMsgNameNotRepresentable, path);
    default: return;
  }
}

void scan_folder(Platform& platform, const std::wstring& source, const std::wstring& relative,
                 ScanOrder order, std::vector<FileItem>* items) {
  wchar_t sep = platform.separator();
  std::wstring folder = item_path(source, relative, sep);
  std::vector<FolderEntry> entries;
  SysResult r = platform.list_folder(folder, &entries);
  // A folder that cannot be listed must not silently leave its files out.
  if (!r.ok()) throw BuildError(kMsgScanFailed, folder, r.code);
  if (order == ScanOrder::kByName)
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return name_before(a.name, b.name); });
  for (const FolderEntry& e : entries) {
    if (e.attributes & kFileVolumeLabel) continue;
    refuse(e, folder + e.name);
    FileItem item;
    item.dos_time = e.dos_time;
    item.attributes = e.attributes;
    item.name = relative + e.name;
    item.own_name = relative.size();
    item.size = e.type == EntryType::kFolder ? 0 : e.size;
    items->push_back(item);
    if (e.type == EntryType::kFolder) scan_folder(platform, source, item.name + L"\\", order, items);
  }
}

}  // namespace

std::vector<FileItem> scan_source(Platform& platform, const std::wstring& source, ScanOrder order) {
  std::vector<FileItem> items;
  scan_folder(platform, source, std::wstring(), order, &items);
  return items;
}

uint64_t total_size(const std::vector<FileItem>& items) {
  uint64_t total = 0;
  for (const auto& i : items) total += i.size;
  return total;
}

}  // namespace tw
