#include <exception>

#include "cli_main.h"
#include "report.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  try {
    return tw::cli::cli_main(args);
  } catch (const std::exception& e) {
    tw::cli::report_error(std::string("unexpected error: ") + e.what());
  }
  return 1;
}
