#pragma once
// The measuring pass over the entry records that follow the option header:
// walks every record without reading its data, checks what can be checked
// without inflating (names, sizes, chunk lengths, the terminator) and adds
// up the sizes. Portable: the stub reads through its own file, the unit
// tests through a memory buffer.
//
// Record layout: 17-byte head (kind u8, name length u32, size i32,
// DOS time u32, attributes u32), the name, then for a folder (attribute
// 0x10) a u32 checksum; for a file its chunks and a u32 checksum. A
// compressed chunk is raw length u32, stream length u32 and the stream; a
// stored file is its size in raw bytes. The terminator is a head whose four
// 32-bit fields are all zero.
#include <stdint.h>

#include "container_format.h"

namespace tw {

// Longest record name the stub accepts (bytes).
const uint32_t kNameMax = 32767;

struct RecordSource {
  void* ctx;
  // Reads exactly n bytes at offset; false when they are not all there.
  bool (*read_at)(void* ctx, uint64_t offset, void* buf, uint32_t n);
  uint64_t size;  // of the whole file
};

struct WalkHooks {
  void* ctx;
  // name is not terminated; false marks the container as damaged.
  bool (*name_ok)(void* ctx, const unsigned char* name, uint32_t length, bool directory);
  // Called after each record (the stub pumps its window messages here).
  void (*after_record)(void* ctx);
};

// A chunk's raw length is sound when it makes progress and stays within
// both the chunk limit and what is left of the file.
inline bool raw_length_fits(uint32_t raw, uint64_t remaining) {
  return raw != 0 && raw <= kChunkRawMax && raw <= remaining;
}

// Walks from `start` (the first record) to the terminator. Returns true and
// the sum of the size fields in *total when every record is sound and the
// walk ends on a terminator inside the file; false for damaged data.
// name_buf must hold kNameMax bytes.
bool measure_records(const RecordSource& src, uint64_t start, bool compressed,
                     const WalkHooks& hooks, unsigned char* name_buf, int64_t* total);

}  // namespace tw
