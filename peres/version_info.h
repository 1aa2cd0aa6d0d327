#pragma once
// The language recorded in a version information resource.
#include "bytes.h"

namespace tw::peres {

// The first language of "\VarFileInfo\Translation" in a version resource's
// data; 0 when it has none or the data is damaged.
uint16_t translation_language(ByteView version);

}  // namespace tw::peres
