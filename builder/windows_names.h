#pragma once
// Names a Windows folder cannot hold, though another system's may: two
// names in one folder that differ only in letter case, the device names
// (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with any extension), a name that ends
// in a dot or a blank, and the characters < > : " / \ | ? * and controls.
// The console tool refuses such a source before anything is written.
#include <stddef.h>

#include <string>
#include <vector>

#include "source_scan.h"

namespace tw {

bool windows_can_hold(const std::wstring& name);  // one name, no folder part
// The indexes of every item whose name is refused, twins all of them, in
// list order.
std::vector<size_t> names_windows_cannot_hold(const std::vector<FileItem>& items);

}  // namespace tw
