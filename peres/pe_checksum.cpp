#include "pe_checksum.h"

namespace tw::peres {

uint32_t pe_checksum(const Bytes& file, uint32_t checksum_offset) {
  size_t n = file.size();
  auto byte = [&](size_t i) -> uint32_t {
    if (i >= n || (i >= checksum_offset && i < size_t(checksum_offset) + 4)) return 0;
    return file[i];
  };
  uint64_t sum = 0;
  for (size_t i = 0; i < n; i += 2) {
    sum += byte(i) | byte(i + 1) << 8;
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  sum = (sum & 0xFFFF) + (sum >> 16);
  return uint32_t(sum + n);
}

}  // namespace tw::peres
