#pragma once
// The code page an SFX file stores its names, parameters and custom folder
// in. By default the maker's ANSI code page when every one of them has an
// exact form there, else UTF-8 for all of them; or one code page chosen for
// the build (65001: UTF-8), in which every text must have an exact form.
// The stub reads the code page from the file's "CODEPAGE" record.
#include <stdint.h>

#include <string>
#include <vector>

#include "build_options.h"
#include "platform.h"
#include "source_scan.h"

namespace tw {

const uint32_t kCodePageUtf8 = 65001;

struct EncodedTexts {
  uint32_t codepage = 0;
  std::vector<std::string> names;  // one per item
  std::string parameters;          // cut to the header's room
  std::string custom_folder;       // cut to the header's room
};

// code_page 0: the default above. Throws BuildError (name not
// representable, naming the path or text) for a text without an exact form:
// in the chosen code page, or by default not even in UTF-8 (an unpaired
// surrogate).
EncodedTexts encode_texts(Platform& platform, const std::vector<FileItem>& items,
                          const BuildOptions& o, uint32_t code_page = 0);

// s cut to at most max_bytes in code_page, never inside a character.
std::string encode_cut(Platform& platform, uint32_t code_page, const std::wstring& s,
                       size_t max_bytes);

}  // namespace tw
