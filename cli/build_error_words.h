#pragma once
// English words for a failed build, one line naming the file: the console
// tool's counterpart of the maker's error box.
#include <string>

#include "build_error.h"

namespace tw::cli {

std::string build_error_words(const BuildError& e);

}  // namespace tw::cli
