#pragma once
// Where the maker begins: checks its carried files, reads the command line,
// then builds headless (-h) or opens the window.
namespace tw {

// Exit codes of a headless run.
enum HeadlessExit {
  kExitBuilt = 0,          // the SFX file was written
  kExitFailed = 1,         // the build failed (an error box said why)
  kExitTooFewParams = 2,   // not every required positional parameter given
  kExitRefused = 3,        // validation refused, or No to replacing the target
};

int run_maker();

}  // namespace tw
