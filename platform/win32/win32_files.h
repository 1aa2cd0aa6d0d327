#pragma once
// The Win32 platform's open files: a source read in sequence, the new SFX
// file (deleted through its own handle unless it takes the target's name),
// a mapped view, and the identity and leftover checks made through handles.
#include <windows.h>

#include <memory>
#include <string>

#include "platform.h"
#include "win_handle.h"

namespace tw {

SysResult last_error();
// The prefix that lifts MAX_PATH for a path that needs it.
std::wstring long_form(const std::wstring& path);
FileIdentity identity_of_handle(HANDLE h);

SysResult open_input_file(const std::wstring& path, std::unique_ptr<InputFile>* out);
SysResult create_new_file(const std::wstring& path, std::unique_ptr<OutputFile>* out);
std::unique_ptr<FileView> map_file(const std::wstring& path);
void remove_leftover_file(const std::wstring& folder, const std::wstring& name);

}  // namespace tw
