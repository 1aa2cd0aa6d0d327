#pragma once
// Reads the resource tree of a PE file.
#include <functional>
#include <vector>

#include "copy_budget.h"
#include "pe_image.h"
#include "resource_tree.h"
#include "result.h"

namespace tw::peres {

// Which resources a read keeps; the others are checked, not copied.
struct ReadScope {
  std::vector<uint16_t> types;  // the numbered types to keep; every type when empty
  // Of the kept types, the numbered names to keep; every name when empty.
  std::function<bool(uint16_t type, uint16_t id)> ids;
};

// Fault::kDamaged when the resource directory is damaged: an offset, size
// or count outside the file, a tree deeper or shallower than
// type/name/language, or a directory reached twice (a loop). The kept
// resources are charged to `budget` before they are copied (without one,
// to a budget of the file's size); its fault when they do not fit. A file
// without resources gives an empty tree.
Result read_resources(ByteView file, const PeImage& pe, ResourceTree* out,
                      const ReadScope& scope = {}, CopyBudget* budget = nullptr);

// Parses the file and reads its resources in one step (Fault::kNotPe when
// it is not a sound PE file).
Result read_pe_resources(ByteView file, ResourceTree* out, const ReadScope& scope = {},
                         CopyBudget* budget = nullptr);

}  // namespace tw::peres
