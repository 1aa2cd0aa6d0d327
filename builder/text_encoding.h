#pragma once
// The code page an SFX file stores its names, parameters and custom folder
// in: the maker's ANSI code page when every one of them has an exact form
// there, else UTF-8 for all of them. The stub reads the code page from the
// file's "CODEPAGE" record.
#include <stdint.h>

#include <string>
#include <vector>

#include "build_options.h"
#include "source_scan.h"

namespace tw {

const uint32_t kCodePageUtf8 = 65001;

struct EncodedTexts {
  uint32_t codepage = 0;
  std::vector<std::string> names;  // one per item
  std::string parameters;          // cut to the header's room
  std::string custom_folder;       // cut to the header's room
};

// Throws BuildError (name not representable) only for a text that is not
// even sound UTF-16 (an unpaired surrogate).
EncodedTexts encode_texts(const std::vector<FileItem>& items, const BuildOptions& o);

// Cuts UTF-8 text to at most max_bytes without splitting a character.
std::string cut_utf8(const std::string& s, size_t max_bytes);

}  // namespace tw
