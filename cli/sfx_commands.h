#pragma once
// The commands that read an SFX file: list, verify and extract. Each
// returns its exit code (exit_codes.h).
#include "cli_args.h"

namespace tw::cli {

int run_list(const Arguments& a);
int run_verify(const Arguments& a);
int run_extract(const Arguments& a);

}  // namespace tw::cli
