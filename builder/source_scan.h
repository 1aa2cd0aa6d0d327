#pragma once
// Lists a source folder, folders included, depth first: a folder's own item
// stands before its content. Within a folder the order is the file
// system's, or (the console tool's choice) by name without regard to case
// (name_order.h), which is the same on every system.
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "platform.h"

namespace tw {

enum class ScanOrder { kAsListed, kByName };

struct FileItem {
  uint32_t dos_time = 0;    // last write, local DOS date (high) and time (low)
  uint64_t size = 0;        // 0 for a folder
  uint32_t attributes = 0;  // as the search reports them; 0x10 marks a folder
  std::wstring name;        // relative to the source folder, "\" between parts
  size_t own_name = 0;      // where the item's own name starts in name
};

// source ends with a separator. Throws BuildError when a folder cannot be
// listed, and for what a source cannot hold: a link, a FIFO, socket or
// device, a name that is not text (POSIX lists these; Windows does not).
std::vector<FileItem> scan_source(Platform& platform, const std::wstring& source,
                                  ScanOrder order = ScanOrder::kAsListed);

uint64_t total_size(const std::vector<FileItem>& items);

}  // namespace tw
