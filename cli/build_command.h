#pragma once
// `build`: validates the choices as the maker does, then builds, reporting
// progress on a terminal and every problem as one line. Returns the exit
// code.
#include "cli_args.h"

namespace tw::cli {

int run_build(const BuildChoices& choices);

}  // namespace tw::cli
