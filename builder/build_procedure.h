#pragma once
// Writes an SFX file: the carried stub, the option header, the helper
// record in self-delete mode, one record per folder and file of the source
// and the terminator.
#include "build_monitor.h"
#include "build_options.h"
#include "carried_resources.h"

namespace tw {

// True when the file was written; false when the user cancelled. Either way
// the monitor hears of it last. Failures throw BuildError. The new file
// replaces the target only when complete: after a cancel or a failure the
// previous target is as it was, and nothing partly written is left.
bool build_sfx(BuildOptions options, const RunFlags& flags, const CarriedResources& carried,
               BuildMonitor& monitor);

}  // namespace tw
