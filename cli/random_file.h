#pragma once
// An SFX file opened for reading at any offset.
#include <stdint.h>

#include <memory>
#include <string>

#include "sfx_file.h"

namespace tw::cli {

// nullptr with a Windows error code in *error when the file cannot be
// opened (a folder cannot).
std::unique_ptr<RandomFile> open_random_file(const std::string& path, uint32_t* error);

}  // namespace tw::cli
