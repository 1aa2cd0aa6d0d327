#include "build_command.h"
#include "exit_codes.h"
#include "report.h"

namespace tw::cli {

// Placeholder until the portable build core is merged: the native program
// lists, verifies and extracts, and refuses to build.
int run_build(const BuildChoices&) {
  report_error("build: not available in this native program yet");
  return kExitFailed;
}

}  // namespace tw::cli
