#pragma once
// Finds where the data appended to an executable begins: the end of the
// furthest section in its section table. The file records no offset.
//
//   0x00  "MZ"
//   0x3C  u16  PE header offset (low half of e_lfanew)
//   pe+0  "PE\0\0"
//   pe+4  u16 machine, u16 section count, 12 bytes, u16 optional header size,
//         u16 characteristics, optional header
//   then  40-byte section headers: name[8], virtual size, virtual address,
//         raw size (+16), raw offset (+20), 16 more bytes
#include <stdint.h>

namespace tw {

// Reads n bytes at offset; false when they cannot all be read.
typedef bool (*ReadAtFn)(void* ctx, uint32_t offset, void* buf, uint32_t n);

// Returns the largest raw offset + raw size over the sections whose raw size
// is not 0, or 0 when the file is no PE executable or has no such section.
uint32_t locate_payload(ReadAtFn read_at, void* ctx);

}  // namespace tw
