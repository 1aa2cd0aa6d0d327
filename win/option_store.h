#pragma once
// The registry record of the last window options, under the current user:
// Software\Morrowfen\Tarnwick.
#include "build_options.h"

namespace tw {

extern const wchar_t kOptionsKey[];

// Writes every value on its own; a value (or the key) that cannot be
// written is skipped silently.
void save_options_to_registry(const BuildOptions& o);

}  // namespace tw
