#pragma once
// Small PE files made in the tests: .text, .rsrc (an empty resource
// directory) and .reloc, as a linker lays them out, in PE32 or PE32+.
#include <string>

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

uint32_t u32_at(const Bytes& b, size_t at);
ResName str(const char* ascii);
ResData data(const std::string& text);

}  // namespace tw::peres::testing
