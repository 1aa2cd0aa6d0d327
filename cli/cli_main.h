#pragma once
// The console tool from its arguments (UTF-8, without the program name) to
// its exit code.
#include <string>
#include <vector>

namespace tw::cli {

int cli_main(const std::vector<std::string>& args);

}  // namespace tw::cli
