#pragma once
// fcmdline: the usage text the maker carries, in a read-only memo.
#include <windows.h>

#include "carried_resources.h"

namespace tw {

void show_cmdline_help(HWND owner, const CarriedResources& carried);

}  // namespace tw
