#pragma once
// The record checksum of SFX files: a 32-bit wrapping sum of unsigned bytes.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

namespace tw {

// Four bytes at a time: two 16-bit lanes each add a pair of bytes per word
// (at most 510), emptied every 128 words before they can overflow.
inline uint32_t byte_sum(uint32_t running, const void* data, size_t n) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  while (n >= 4) {
    size_t words = n / 4 < 128 ? n / 4 : 128;
    uint32_t lanes = 0;
    for (size_t i = 0; i < words; ++i, p += 4) {
      uint32_t w;
      memcpy(&w, p, 4);
      lanes += (w & 0x00FF00FFu) + ((w >> 8) & 0x00FF00FFu);
    }
    running += (lanes & 0xFFFF) + (lanes >> 16);
    n -= words * 4;
  }
  while (n--) running += *p++;
  return running;
}

}  // namespace tw
