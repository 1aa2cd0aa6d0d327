#include "peres_test_pe.h"

#include <string.h>

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

// Code pages that mark the data entries of icon_source: every entry of a
// type carries kMark + type; icon image 1 carries kMark + 0xFF.
const uint32_t kMark = 0x7E57C000;

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
        ResData{Bytes(sizes[i], 'i'), i ? kMark + kRtIcon : kMark + 0xFF};
    if (i >= named) continue;
    Bytes entry = {16, 16, 0, 0, 1, 0, 32, 0, 0, 0, 0, 0, uint8_t(i + 1), 0};
    put_u32(entry, 8, sizes[i]);
    group.insert(group.end(), entry.begin(), entry.end());
  }
  t[ResName::number(kRtGroupIcon)][ResName::number(1)][0] = ResData{group, kMark + kRtGroupIcon};
  for (uint16_t v = 1; v <= versions; ++v)
    t[ResName::number(kRtVersion)][ResName::number(v)][0] = ResData{{'v'}, kMark + kRtVersion};
  Bytes f;
  write_with_resources(make_pe(PeShape{}), t, &f);
  return f;
}

// Data entry (16 bytes): DataRVA, Size, CodePage, Reserved; the writer
// puts them on 8-byte boundaries.
void share_icon_data(Bytes& f, uint16_t type) {
  size_t first = 0;
  while (first < f.size() && u32_at(f, first + 8) != kMark + 0xFF) first += 8;
  for (size_t at = 0; at + 16 <= f.size(); at += 8) {
    if (u32_at(f, at + 8) != kMark + type) continue;
    put_u32(f, at, u32_at(f, first));
    put_u32(f, at + 4, u32_at(f, first + 4));
  }
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
