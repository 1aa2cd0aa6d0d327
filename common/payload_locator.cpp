#include "payload_locator.h"

#include "container_format.h"

namespace tw {

namespace {

uint16_t u16(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }

}  // namespace

uint32_t locate_payload(ReadAtFn read_at, void* ctx) {
  unsigned char buf[40];
  uint32_t pos = 2;
  if (!read_at(ctx, 0, buf, 2)) return 0;
  if (buf[0] == 'M' && buf[1] == 'Z') {
    if (!read_at(ctx, 0x3C, buf, 2)) return 0;
    pos = u16(buf);
  }
  // Signature, then the file header up to the optional header.
  if (!read_at(ctx, pos, buf, 24)) return 0;
  if (buf[0] != 'P' || buf[1] != 'E' || buf[2] != 0 || buf[3] != 0) return 0;
  uint32_t sections = u16(buf + 6);
  uint32_t optional_size = u16(buf + 20);
  uint32_t table = pos + 24 + optional_size;

  uint32_t end = 0;
  for (uint32_t i = 0; i < sections; ++i) {
    if (!read_at(ctx, table + i * 40, buf, 40)) return 0;
    uint32_t raw_size = get_u32le(buf + 16);
    uint32_t raw_offset = get_u32le(buf + 20);
    if (raw_size == 0) continue;
    uint64_t section_end = uint64_t(raw_offset) + raw_size;
    if (section_end > 0xFFFFFFFFu) return 0;
    if (section_end > end) end = uint32_t(section_end);
  }
  return end;
}

}  // namespace tw
