#pragma once
// English words for a failed build, naming the file: the console tool's
// counterpart of the maker's error box.
#include <stdint.h>

#include <string>
#include <vector>

#include "build_error.h"

namespace tw::cli {

// One line; a refusal of several names gives one line per name.
// windows_code maps the error's system code to a Windows one.
std::vector<std::string> build_error_lines(const BuildError& e, uint32_t (*windows_code)(uint32_t));

}  // namespace tw::cli
