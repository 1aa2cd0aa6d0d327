#include "cli_main.h"

#include "build_command.h"
#include "cli_args.h"
#include "console.h"
#include "exit_codes.h"
#include "help_text.h"
#include "report.h"
#include "sfx_commands.h"

namespace tw::cli {

int cli_main(const std::vector<std::string>& args) {
  ParseResult p = parse_arguments(args);
  if (!p.ok) {
    report_error(p.error + " (see tarnwick-cli --help)");
    return kExitUsage;
  }
  switch (p.args.command) {
    case Command::kHelp:
      write_text(Stream::kOut, help_text());
      return kExitOk;
    case Command::kVersion:
      write_text(Stream::kOut, version_text());
      return kExitOk;
    case Command::kBuild:
      return run_build(p.args.build);
    case Command::kList:
      return run_list(p.args);
    case Command::kVerify:
      return run_verify(p.args);
    case Command::kExtract:
      return run_extract(p.args);
  }
  return kExitUsage;
}

}  // namespace tw::cli
