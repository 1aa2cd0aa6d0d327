#include "icon_file.h"

#include <string.h>

namespace tw::peres {

// Icon file: reserved, type, count (2 bytes each); then per image 16 bytes:
// width, height, colour count, reserved (1 byte each), planes, bit count
// (2 each), image size, image offset in the file (4 each).
Result parse_icon_file(ByteView f, CopyBudget* budget, IconFile* out) {
  IconFile icon;
  uint16_t count = 0;
  if (!read_u16(f, 4, &count) || !in_bounds(6, 16ull * count, f.size()))
    return Fault::kTruncatedIco;
  memcpy(icon.header, f.data(), 6);
  for (uint16_t i = 0; i < count; ++i) {
    uint32_t at = 6 + 16u * i, size = 0, offset = 0;
    read_u32(f, at + 8, &size);
    read_u32(f, at + 12, &offset);
    if (!in_bounds(offset, size, f.size())) return Fault::kTruncatedIco;
    // Images do not overlap, so together they fit in the file: entries that
    // share their bytes many times over are damage, not a reason to copy.
    if (Fault fault = budget->spend(size); fault != Fault::kNone) return fault;
    IconImage image;
    memcpy(image.entry, &f[at], 12);
    image.data.assign(f.begin() + offset, f.begin() + offset + size);
    icon.images.push_back(std::move(image));
  }
  *out = std::move(icon);
  return Fault::kNone;
}

// Group resource: the 6-byte header, then per image 14 bytes: the first 12
// bytes of the file's entry and the 2-byte icon identifier.
Bytes make_icon_group(const IconFile& icon) {
  Bytes g(icon.header, icon.header + 6);
  for (size_t i = 0; i < icon.images.size(); ++i) {
    g.insert(g.end(), icon.images[i].entry, icon.images[i].entry + 12);
    append_u16(g, uint16_t(i + 1));
  }
  return g;
}

bool icon_group_ids(const Bytes& group, std::vector<uint16_t>* ids) {
  uint16_t count = 0;
  if (!read_u16(group, 4, &count) || !in_bounds(6, 14ull * count, group.size())) return false;
  ids->clear();
  for (uint16_t i = 0; i < count; ++i) {
    uint16_t id = 0;
    read_u16(group, 6 + 14u * i + 12, &id);
    ids->push_back(id);
  }
  return true;
}

}  // namespace tw::peres
