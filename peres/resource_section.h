#pragma once
// Lays out a resource tree as the bytes of a resource section.
#include "resource_tree.h"

namespace tw::peres {

// The section's bytes for a section that starts at `rva`. The layout is the
// usual one: all directory tables (root, then the name tables of every
// type, then the language tables of every name), the name strings, the data
// entries, and the data, each piece aligned to 8 bytes. False when a level
// holds more entries than a table can count or the data does not fit in
// 32 bits.
bool build_resource_section(const ResourceTree& tree, uint32_t rva, Bytes* out);

}  // namespace tw::peres
