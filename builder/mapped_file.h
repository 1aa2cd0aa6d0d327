#pragma once
// A source of the resource edits (an icon file or an executable) mapped
// into memory for reading, as the system loads a file as data.
#include <memory>
#include <string>

#include "stub_resources.h"

namespace tw {

// nullptr when the file cannot be opened or mapped (an empty file cannot).
std::unique_ptr<EditSource> map_edit_source(const std::wstring& path);

}  // namespace tw
