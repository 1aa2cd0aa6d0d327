#pragma once
// The about box: version, freeware notice, web site and e-mail links.
#include <windows.h>

#include <string>

namespace tw {

void show_about(HWND owner, const std::wstring& caption);

}  // namespace tw
