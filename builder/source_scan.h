#pragma once
// Lists a source folder, folders included, depth first: a folder's own item
// stands before its content. The order within a folder is the file
// system's.
#include <stdint.h>

#include <string>
#include <vector>

namespace tw {

struct FileItem {
  uint32_t dos_time = 0;    // last write, local DOS date (high) and time (low)
  uint64_t size = 0;        // 0 for a folder
  uint32_t attributes = 0;  // as the search reports them; 0x10 marks a folder
  std::wstring name;        // relative to the source folder, no leading "\"
};

// source ends with a backslash. Throws BuildError when a folder cannot be
// listed.
std::vector<FileItem> scan_source(const std::wstring& source);

uint64_t total_size(const std::vector<FileItem>& items);

}  // namespace tw
