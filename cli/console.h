#pragma once
// The console tool's output: UTF-8 text to standard output or error. A
// Windows console gets it as wide text; a file or pipe as UTF-8 bytes.
#include <string>

namespace tw::cli {

enum class Stream { kOut, kErr };

void write_text(Stream s, const std::string& utf8);
// A console or terminal, not a file or pipe.
bool is_terminal(Stream s);
// Asks on the terminal; without one (input from a file or pipe) the answer
// is no and nothing is read.
bool ask_yes_no(const std::string& question);

}  // namespace tw::cli
