#pragma once
// The files a maker carries and a build writes into every SFX file: the
// stub, the self-delete helper and the manifest template (and the usage
// text the window shows). Where they come from is the front end's matter:
// the maker's own resources on Windows, data linked into a program elsewhere.
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

}  // namespace tw
