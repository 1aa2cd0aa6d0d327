#pragma once
// The console tool's --help and --version texts (English).
#include <string>

namespace tw::cli {

std::string help_text();
std::string version_text();

}  // namespace tw::cli
