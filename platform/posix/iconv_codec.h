#pragma once
// Code pages on POSIX through iconv: glibc carries the Windows code pages
// as "CP<number>" (CP949, CP1252, CP932 ...). Its tables and Windows' may
// differ in a few best-fit corners, so a text counts as converted only when
// it converts back to exactly itself.
#include <stdint.h>

#include <string>

namespace tw {

bool iconv_has_code_page(uint32_t code_page);
bool iconv_encode_exact(uint32_t code_page, const std::wstring& text, std::string* out);

}  // namespace tw
