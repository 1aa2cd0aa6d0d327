#pragma once
// Small PE files made in the tests: .text, .rsrc (an empty resource
// directory) and .reloc, as a linker lays them out, in PE32 or PE32+.
#include <string>
#include <vector>

#include "bytes.h"
#include "resource_tree.h"

namespace tw::peres::testing {

struct PeShape {
  bool plus = false;
  uint32_t checksum = 0;
  bool data_after_resources = false;  // a .data section instead of .reloc
  size_t overlay = 0;                 // bytes behind the last section, signed
};

Bytes make_pe(const PeShape& shape);

// A PE whose icon images have these sizes (ids 1, 2, ...), with one group
// naming the first `named` of them, and `versions` version names.
Bytes icon_source(const std::vector<uint32_t>& sizes, size_t named, uint16_t versions);
// Points every data entry of `type` in a file made by icon_source at the
// data of icon image 1, as a damaged or hostile file may.
void share_icon_data(Bytes& pe, uint16_t type);

uint32_t u32_at(const Bytes& b, size_t at);
ResName str(const char* ascii);
ResData data(const std::string& text);

}  // namespace tw::peres::testing
