#pragma once
// The choices of `build` as the Build options and run flags the builder
// takes.
#include "build_options.h"
#include "cli_args.h"

namespace tw::cli {

struct MappedBuild {
  BuildOptions options;
  RunFlags flags;
};

// The console tool never asks and never writes the registry: the target's
// replacement is decided by --force before the build, and the options count
// as a complete command line. The run id is chosen later (it may come from
// the environment).
MappedBuild map_build_choices(const BuildChoices& c);

}  // namespace tw::cli
