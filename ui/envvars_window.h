#pragma once
// fenvvars: the environment variables of this process as "%name%" and
// value, to pick one for the custom folder.
#include <windows.h>

#include <string>

namespace tw {

// True with the chosen row's name ("%TEMP%") when the user chose one.
bool choose_environment_variable(HWND owner, const std::wstring& owner_caption,
                                 std::wstring* name);

}  // namespace tw
