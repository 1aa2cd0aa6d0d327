#pragma once
// Turns switches and positional parameters into Build options.
#include <string>

#include "build_options.h"
#include "command_line.h"

namespace tw {

struct StartupOptions {
  BuildOptions options;
  RunFlags flags;
  size_t required_positionals = 2;
};

StartupOptions options_from_command_line(const CommandLine& cl);

}  // namespace tw
