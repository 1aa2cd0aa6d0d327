#include "record_walk.h"

namespace tw {

namespace {

// Skips the chunks of a compressed file of `size` bytes starting at *pos.
bool skip_chunks(const RecordSource& src, uint64_t* pos, uint64_t size) {
  uint64_t covered = 0;
  while (covered < size) {
    unsigned char lengths[8];
    if (!src.read_at(src.ctx, *pos, lengths, 8)) return false;
    uint32_t raw = get_u32le(lengths);
    uint32_t stream = get_u32le(lengths + 4);
    if (!raw_length_fits(raw, size - covered)) return false;
    // An oversized stream is reported by the extraction pass (it has its
    // own code); here it only must not run past the file.
    uint64_t next = *pos + 8 + uint64_t(stream);
    if (next > src.size) return false;
    *pos = next;
    covered += raw;
  }
  return true;
}

}  // namespace

bool measure_records(const RecordSource& src, uint64_t start, bool compressed,
                     const WalkHooks& hooks, unsigned char* name_buf, int64_t* total) {
  uint64_t pos = start;
  int64_t sum = 0;
  while (pos < src.size) {
    unsigned char raw_head[kEntryHeadSize];
    if (!src.read_at(src.ctx, pos, raw_head, kEntryHeadSize)) return false;
    EntryHead head;
    decode_entry_head(raw_head, &head);
    if (is_terminator(head)) {
      *total = sum;
      return true;
    }
    pos += kEntryHeadSize;
    if (head.size < 0 || head.name_length > kNameMax) return false;
    if (head.name_length > src.size - pos) return false;
    if (!src.read_at(src.ctx, pos, name_buf, head.name_length)) return false;
    bool directory = is_directory(head);
    if (!hooks.name_ok(hooks.ctx, name_buf, head.name_length, directory)) return false;
    pos += head.name_length;
    if (!directory) {
      uint64_t size = uint64_t(head.size);
      if (compressed) {
        if (!skip_chunks(src, &pos, size)) return false;
      } else {
        if (size > src.size - pos) return false;
        pos += size;
      }
    }
    // The checksum.
    if (src.size - pos < 4) return false;
    pos += 4;
    sum += head.size;
    hooks.after_record(hooks.ctx);
  }
  return false;
}

}  // namespace tw
