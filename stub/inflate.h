#pragma once
// The stub's decompressor: one complete zlib stream (RFC 1950 header,
// deflate data of RFC 1951, Adler-32 of the output) into a buffer of known
// size. Every chunk of an SFX file is such a stream, inflated whole, so
// none of the streaming machinery of a general library is needed; this one
// is a few KB instead of the library's 26. Portable, no allocation.
//
//   zlib stream: CMF u8 (method 8, window <= 32 KiB), FLG u8 (no preset
//                dictionary; CMF*256+FLG divisible by 31), deflate blocks,
//                Adler-32 u32 big-endian
//   block:       BFINAL 1 bit, BTYPE 2 bits (0 stored, 1 fixed Huffman,
//                2 dynamic Huffman), bits read from the least significant
//                end of each byte
#include <stddef.h>
#include <stdint.h>

namespace tw {

// Inflates the stream of n bytes at in into exactly `raw` bytes at out.
// False for anything else: a damaged stream, a wrong Adler-32, more or
// fewer bytes than raw. Bytes after the stream are not looked at.
bool inflate_zlib(const unsigned char* in, size_t n, unsigned char* out, size_t raw);

// Adler-32 of n bytes, continuing from `adler` (1 to start).
uint32_t adler32(uint32_t adler, const unsigned char* p, size_t n);

}  // namespace tw
