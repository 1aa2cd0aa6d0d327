#pragma once
// Reads a source of the resource edits (an icon file or an executable)
// whole into memory.
#include <string>

#include "bytes.h"

namespace tw {

// Files larger than this are not read: no icon or version source needs it,
// and the maker's address space stays free for the build.
const uint64_t kMaxEditSource = 128u << 20;

// False when the file cannot be opened or read, or is too large.
bool read_whole_file(const std::wstring& path, peres::Bytes* out);

}  // namespace tw
