#pragma once
// The console tool's command line: a command, then its options and operands
// in any order. Options are long ("--name VALUE" or "--name=VALUE"); "--"
// ends them. Reading it touches nothing on the system: files are checked
// later, by validation.
#include <stdint.h>

#include <string>
#include <vector>

namespace tw::cli {

enum class Command { kHelp, kVersion, kBuild, kList, kVerify, kExtract };

// The choices of `build` as given; texts are UTF-8.
struct BuildChoices {
  std::string source, target;
  std::string run_file, args, custom_folder, icon, version_from;
  uint8_t folder = 0;  // the byte values of the option header
  uint8_t overwrite = 0;
  uint8_t delete_mode = 0;
  uint8_t workdir = 0;
  uint8_t uac = 0;
  bool silent = false, one_instance = false, self_delete = false, open_folder = false;
  bool force = false;   // replace an existing target
  bool strict = false;  // a failed icon or version edit is an error
  unsigned threads = 0;   // 0: one per processor
  uint32_t codepage = 0;  // 0: the system's ANSI code page
  std::string run_id;     // "" or ten uppercase hexadecimal digits
};

struct Arguments {
  Command command = Command::kHelp;
  BuildChoices build;
  std::string sfx;         // list, verify, extract
  std::string folder;      // extract
  bool json = false;       // list
  int overwrite = -1;      // extract: -1 the SFX file's own mode, else 0..2
};

struct ParseResult {
  bool ok = false;
  std::string error;  // one line
  Arguments args;
};

// argv without the program name.
ParseResult parse_arguments(const std::vector<std::string>& argv);

// The code pages an SFX file can record: the Windows ANSI code pages and
// UTF-8 (65001).
bool is_storable_code_page(uint32_t codepage);

}  // namespace tw::cli
