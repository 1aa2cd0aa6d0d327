#pragma once
// The PE checksum of the optional header.
#include "bytes.h"

namespace tw::peres {

// The 16-bit one's-complement-style sum of the file's words with the
// checksum field itself counted as zero, plus the file's length.
uint32_t pe_checksum(const Bytes& file, uint32_t checksum_offset);

}  // namespace tw::peres
