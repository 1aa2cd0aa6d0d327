#pragma once
// Exit codes of the console tool. list, verify and extract also end with
// the code an SFX file would end with for the same fault (38 no SFX data,
// 13 damaged records, 23 checksum mismatch, 8 chunk too large, 160 chunk
// not inflatable, or the Windows error code of a file that cannot be
// written).
namespace tw::cli {

enum ExitCode {
  kExitOk = 0,       // written, listed, verified or extracted
  kExitFailed = 1,   // the build failed (the target is as it was)
  kExitUsage = 2,    // the command line is wrong
  kExitRefused = 3,  // refused input: a missing source, run file or icon, an
                     // existing target without --force, a name Windows cannot
                     // hold, an SFX file that cannot be opened
};

}  // namespace tw::cli
