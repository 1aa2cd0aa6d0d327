#pragma once
// Where `extract` writes: the system's file-system table for the stub's
// extraction pass, and the folder in the pass's form (absolute, backslash
// separators, ending with one; on Linux "\home\me\out\" stands for
// /home/me/out/).
#include <stdint.h>

#include <string>
#include <vector>

#include "file_system.h"

namespace tw::cli {

const FileSystem* system_file_system();

// Makes dir with its missing parents, as an SFX file makes its extraction
// folder; 0 or a Windows error code. *made: the folders it made, outermost
// first (the pass removes them again when the SFX file proves damaged).
uint32_t prepare_extract_folder(const std::string& dir, std::wstring* pass_folder,
                                std::vector<std::wstring>* made);

// A path of the pass as the user writes it on this system.
std::string shown_path(const std::wstring& pass_path);

}  // namespace tw::cli
