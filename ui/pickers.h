#pragma once
// The file and folder pickers of the main window. Each answers true with
// the chosen path, false when the user cancelled.
#include <windows.h>

#include <string>

namespace tw {

// A folder of the file system; the current one is preselected when it
// exists.
bool pick_folder(HWND owner, const std::wstring& current, std::wstring* chosen);
// Save dialog opened on the folder and name of current.
bool pick_save_file(HWND owner, const std::wstring& current, const std::wstring& filter,
                    const wchar_t* default_extension, std::wstring* chosen);
// Open dialog with the filter entry that matches the extension of current;
// a chosen name without extension gets the selected entry's.
bool pick_open_file(HWND owner, const std::wstring& current, const std::wstring& filter,
                    std::wstring* chosen);

}  // namespace tw
