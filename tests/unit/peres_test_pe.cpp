#include "peres_test_pe.h"

#include <string.h>

#include <functional>

#include "pe_image.h"
#include "pe_writer.h"

namespace tw::peres::testing {

namespace {

void put(Bytes& b, size_t at, uint32_t v, int size) {
  for (int i = 0; i < size; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

void section(Bytes& f, size_t at, const char* name, uint32_t vsize, uint32_t va, uint32_t raw,
             uint32_t flags) {
  memcpy(&f[at], name, strlen(name));
  put(f, at + 8, vsize, 4);
  put(f, at + 12, va, 4);
  put(f, at + 16, 0x200, 4);
  put(f, at + 20, raw, 4);
  put(f, at + 36, flags, 4);
}

// Walks the resource directory of a file made by make_pe (the directory
// starts its section) and calls `leaf` with the offset of every data entry
// of `type`.
void each_data_entry(const Bytes& f, uint16_t type, const std::function<void(uint32_t)>& leaf) {
  PeImage pe;
  parse_pe(f, &pe);
  uint32_t base = pe.sections[size_t(pe.section_of(pe.directory(kDirResource).address))].raw_offset;
  std::function<void(uint32_t, int)> walk = [&](uint32_t table, int level) {
    uint32_t count = (u32_at(f, base + table + 12) & 0xFFFF) + (u32_at(f, base + table + 12) >> 16);
    for (uint32_t i = 0; i < count; ++i) {
      uint32_t name = u32_at(f, base + table + 16 + 8 * i);
      uint32_t target = u32_at(f, base + table + 20 + 8 * i);
      if (level == 0 && name != type) continue;
      if (target & 0x80000000u)
        walk(target & 0x7FFFFFFF, level + 1);
      else
        leaf(base + target);
    }
  };
  walk(0, 0);
}

}  // namespace

// Headers in 0x200 bytes; .text at 0x1000 (file 0x200), .rsrc at 0x2000
// (file 0x400), .reloc or .data at 0x3000 (file 0x600); file and section
// alignment 0x200 and 0x1000.
Bytes make_pe(const PeShape& s) {
  Bytes f(0x800, 0);
  f[0] = 'M';
  f[1] = 'Z';
  put(f, 0x3C, 0x40, 4);
  put(f, 0x40, 0x4550, 4);
  size_t fh = 0x44, oh = fh + 20, opt_size = s.plus ? 240 : 224;
  put(f, fh, s.plus ? 0x8664 : 0x14C, 2);
  put(f, fh + 2, 3, 2);
  put(f, fh + 16, uint32_t(opt_size), 2);
  put(f, fh + 18, 0x0102, 2);
  put(f, oh, s.plus ? 0x20B : 0x10B, 2);
  put(f, oh + 8, 0x400, 4);  // SizeOfInitializedData: .rsrc and .reloc
  put(f, oh + 16, 0x1000, 4);
  put(f, oh + 32, 0x1000, 4);
  put(f, oh + 36, 0x200, 4);
  put(f, oh + 56, 0x4000, 4);
  put(f, oh + 60, 0x200, 4);
  put(f, oh + 64, s.checksum, 4);
  put(f, oh + 68, 2, 2);
  size_t dirs = oh + (s.plus ? 112 : 96);
  put(f, dirs - 4, 16, 4);
  put(f, dirs + 8 * 2, 0x2000, 4);  // resources
  put(f, dirs + 8 * 2 + 4, 16, 4);
  size_t st = oh + opt_size;
  section(f, st, ".text", 0x10, 0x1000, 0x200, 0x60000020);
  for (int i = 0; i < 16; ++i) f[0x200 + i] = uint8_t(0xC3 - i);
  section(f, st + 40, ".rsrc", 16, 0x2000, 0x400, 0x40000040);
  if (s.data_after_resources) {
    section(f, st + 80, ".data", 8, 0x3000, 0x600, 0xC0000040);
    memcpy(&f[0x600], "DATADATA", 8);
  } else {
    section(f, st + 80, ".reloc", 12, 0x3000, 0x600, 0x42000040);
    put(f, dirs + 8 * 5, 0x3000, 4);
    put(f, dirs + 8 * 5 + 4, 12, 4);
    // One relocation block: page 0x1000, 12 bytes, two entries.
    put(f, 0x600, 0x1000, 4);
    put(f, 0x604, 12, 4);
    put(f, 0x608, 0x3004, 2);
    put(f, 0x60A, 0x3008, 2);
  }
  if (s.overlay) {
    put(f, dirs + 8 * 4, 0x800, 4);
    put(f, dirs + 8 * 4 + 4, uint32_t(s.overlay), 4);
    f.resize(0x800 + s.overlay, 0x5A);
  }
  return f;
}

Bytes icon_source(const std::vector<uint32_t>& sizes, size_t named, uint16_t versions) {
  ResourceTree t;
  Bytes group = {0, 0, 1, 0, uint8_t(named), uint8_t(named >> 8)};
  for (size_t i = 0; i < sizes.size(); ++i) {
    t[ResName::number(kRtIcon)][ResName::number(uint16_t(i + 1))][0] =
        ResData{Bytes(sizes[i], 'i'), 0};
    if (i >= named) continue;
    Bytes entry = {16, 16, 0, 0, 1, 0, 32, 0, 0, 0, 0, 0, uint8_t(i + 1), 0};
    put_u32(entry, 8, sizes[i]);
    group.insert(group.end(), entry.begin(), entry.end());
  }
  t[ResName::number(kRtGroupIcon)][ResName::number(1)][0] = ResData{group, 0};
  for (uint16_t v = 1; v <= versions; ++v)
    t[ResName::number(kRtVersion)][ResName::number(v)][0] = data("v");
  Bytes f;
  write_with_resources(make_pe(PeShape{}), t, &f);
  return f;
}

void share_icon_data(Bytes& f, uint16_t type, uint16_t id) {
  uint32_t rva = 0, size = 0, seen = 0;
  each_data_entry(f, kRtIcon, [&](uint32_t entry) {
    if (++seen == id) rva = u32_at(f, entry), size = u32_at(f, entry + 4);
  });
  each_data_entry(f, type, [&](uint32_t entry) {
    put_u32(f, entry, rva);
    put_u32(f, entry + 4, size);
  });
}

uint32_t u32_at(const Bytes& b, size_t at) {
  uint32_t v = 0;
  read_u32(b, at, &v);
  return v;
}

ResName str(const char* ascii) {
  std::u16string s;
  for (const char* p = ascii; *p; ++p) s.push_back(char16_t(*p));
  return ResName::string(s);
}

ResData data(const std::string& text) { return ResData{Bytes(text.begin(), text.end()), 0}; }

}  // namespace tw::peres::testing
