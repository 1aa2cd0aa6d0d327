// zlib's inflate refers to crc32() for gzip streams. The SFX data holds
// zlib streams only (checked with Adler-32), so the table-driven crc32 of
// the library (7 KB of tables and code) would never run; this bitwise
// version takes its place in the link and keeps the stub small. It computes
// the same standard CRC-32, only more slowly.
#include <zlib.h>

extern "C" uLong ZEXPORT crc32(uLong crc, const Bytef* buf, uInt len) {
  if (!buf) return 0;
  unsigned long c = ~crc & 0xFFFFFFFFul;
  while (len--) {
    c ^= *buf++;
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320ul & (0ul - (c & 1)));
  }
  return ~c & 0xFFFFFFFFul;
}
