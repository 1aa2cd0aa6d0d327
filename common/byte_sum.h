#pragma once
// The record checksum of SFX files: a 32-bit wrapping sum of unsigned bytes.
#include <stddef.h>
#include <stdint.h>

namespace tw {

inline uint32_t byte_sum(uint32_t running, const void* data, size_t n) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < n; ++i) running += p[i];
  return running;
}

}  // namespace tw
