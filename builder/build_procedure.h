#pragma once
// Writes an SFX file: the carried stub, the option header, the helper
// record in self-delete mode, one record per folder and file of the source
// and the terminator. The one entry point of every front end.
#include "build_monitor.h"
#include "build_options.h"
#include "carried_files.h"
#include "platform.h"

namespace tw {

struct BuildResult {
  bool completed = false;       // false: the user cancelled
  bool target_existed = false;  // a file had the target's name when the build began
};

// Builds on platform. Either way the monitor hears of the end last.
// Failures throw BuildError, whose path names the file concerned (or
// std::bad_alloc). The new file replaces the target only when complete:
// after a cancel or a failure the previous target is as it was, and nothing
// partly written is left.
BuildResult build_sfx(BuildOptions options, const RunFlags& flags, const CarriedResources& carried,
                      BuildMonitor& monitor, Platform& platform);

// The same on the system the program runs on; true when the file was
// written, false when the user cancelled.
bool build_sfx(BuildOptions options, const RunFlags& flags, const CarriedResources& carried,
               BuildMonitor& monitor);

}  // namespace tw
