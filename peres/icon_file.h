#pragma once
// Icon files (.ICO) and icon group resources.
#include <vector>

#include "bytes.h"
#include "copy_budget.h"

namespace tw::peres {

struct IconImage {
  uint8_t entry[12];  // width, height, colours, reserved, planes, bit count, size
  Bytes data;
};

struct IconFile {
  uint8_t header[6];  // reserved, type, count: copied into the group as they are
  std::vector<IconImage> images;
};

// Fault::kTruncatedIco when the file is shorter than its directory or an
// image it lists; the budget's fault when the images do not fit in it.
Result parse_icon_file(ByteView file, CopyBudget* budget, IconFile* out);

// The group resource of an icon file whose images get identifiers 1..count.
Bytes make_icon_group(const IconFile& icon);

// The icon identifiers a group resource lists; false when the group is
// shorter than its count says.
bool icon_group_ids(const Bytes& group, std::vector<uint16_t>* ids);

}  // namespace tw::peres
