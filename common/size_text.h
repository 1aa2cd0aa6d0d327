#pragma once
// A byte count as people read it: "%1.4f TB", "%1.3f GB", "%1.2f MB",
// "%1.1f kB" or "%1.0f B" by powers of 1024.
#include <stddef.h>
#include <stdint.h>

namespace tw {

// Writes the text into out (at least 32 bytes are always enough) and returns
// its length. Rounding is exact, halves away from zero.
size_t size_text(int64_t bytes, char* out, size_t cap);

}  // namespace tw
