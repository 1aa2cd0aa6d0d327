#pragma once
// Writes a PE file back with a new resource section.
#include "resource_tree.h"

namespace tw::peres {

// A copy of `file` whose resources are `tree`. The resource section is
// rebuilt where it stands when only the base relocations follow it (they
// move behind it); otherwise a new resource section is added at the end.
// The copy carries no certificate table and nothing behind its last
// section; its checksum is recomputed unless it was 0. False (and `out`
// untouched) when the file is not a sound PE file, has a file alignment
// above 64 KiB or has no room for the change.
bool write_with_resources(const Bytes& file, const ResourceTree& tree, Bytes* out);

}  // namespace tw::peres
