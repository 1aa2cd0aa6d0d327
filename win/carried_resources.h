#pragma once
// The four files the maker carries in its own resources.
#include <stddef.h>

namespace tw {

struct Blob {
  const unsigned char* data = nullptr;
  size_t size = 0;
};

struct CarriedResources {
  Blob stub;        // "EXE"/"SFXHEAD": the front of every SFX file
  Blob self_delete; // "EXE"/"SELFDELETE": the self-delete helper
  Blob manifest;    // "XML"/"UAC": manifest template
  Blob usage;       // "TXT"/"CMDLINE": usage text, code page 949
  Blob usage_en;    // "TXT"/"CMDLINE_EN": its English face (ASCII); may be absent
};

// Loads the four in this order; false as soon as one is missing or empty
// (the later ones are not tried). Then the English usage text, if there.
bool load_carried_resources(CarriedResources* out);

}  // namespace tw
