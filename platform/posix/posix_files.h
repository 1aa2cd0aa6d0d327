#pragma once
// The POSIX platform's open files: a source read in sequence, the new SFX
// file (locked while written, deleted unless it takes the target's name),
// a mapped view, and the leftover check.
#include <memory>
#include <string>

#include "platform.h"

namespace tw {

SysResult errno_result();
// The bytes of a path for the system calls (UTF-8).
std::string native_path(const std::wstring& path);

SysResult open_input_file(const std::string& path, std::unique_ptr<InputFile>* out);
SysResult create_new_file(const std::string& path, std::unique_ptr<OutputFile>* out);
std::unique_ptr<FileView> map_file(const std::string& path);
void remove_leftover_file(const std::string& path);

}  // namespace tw
