#pragma once
// One line on standard error per error or warning, each naming the file it
// is about: "tarnwick-cli: error: <text>".
#include <string>

namespace tw::cli {

void report_error(const std::string& text);
void report_warning(const std::string& text);
// Quotes a path or name for a message: 'docs\readme.txt'.
std::string quoted(const std::string& text);

}  // namespace tw::cli
