#include <exception>

#include "cli_main.h"
#include "exit_codes.h"
#include "report.h"
#include "utf.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  // Paths reach the build as Unicode text: bytes that are none cannot name
  // a file it would find.
  for (size_t i = 0; i < args.size(); ++i) {
    if (!tw::cli::is_utf8(args[i])) {
      tw::cli::report_error("argument " + std::to_string(i + 1) + " is not UTF-8 text");
      return tw::cli::kExitUsage;
    }
  }
  try {
    return tw::cli::cli_main(args);
  } catch (const std::exception& e) {
    tw::cli::report_error(std::string("unexpected error: ") + e.what());
  }
  return 1;
}
