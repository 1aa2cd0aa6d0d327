#include <windows.h>

#include <exception>

#include "cli_main.h"
#include "report.h"
#include "utf.h"

int wmain(int argc, wchar_t** argv) {
  // No system error boxes for a missing disk and the like: a console tool
  // reports and goes on.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(tw::cli::utf8_of(argv[i]));
  try {
    return tw::cli::cli_main(args);
  } catch (const std::exception& e) {
    tw::cli::report_error(std::string("unexpected error: ") + e.what());
  }
  return 1;
}
