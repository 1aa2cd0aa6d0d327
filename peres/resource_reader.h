#pragma once
// Reads the resource tree of a PE file.
#include <vector>

#include "pe_image.h"
#include "resource_tree.h"

namespace tw::peres {

// False when the resource directory is damaged: an offset, size or count
// outside the file, a tree deeper or shallower than type/name/language, or
// a directory reached twice (a loop). A file without resources gives an
// empty tree. With `types` not empty only resources of those numbered
// types are kept (the others are checked, not copied).
bool read_resources(ByteView file, const PeImage& pe, ResourceTree* out,
                    const std::vector<uint16_t>& types = {});

// Parses the file and reads its resources in one step.
bool read_pe_resources(ByteView file, ResourceTree* out, const std::vector<uint16_t>& types = {});

}  // namespace tw::peres
