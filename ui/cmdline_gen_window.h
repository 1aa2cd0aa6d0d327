#pragma once
// fcmdlinegen: shows the command line that reproduces the main window's
// options, with a button that copies it to the clipboard.
#include <windows.h>

#include "main_state.h"

namespace tw {

void show_cmdline_generator(HWND owner, const MainState& state);

}  // namespace tw
