#pragma once
// UTF-8 and wide text for the console tool, which keeps its texts in UTF-8:
// the strict conversions of platform/utf8.h, with U+FFFD for what is not
// sound Unicode (a Windows path may hold an unpaired surrogate).
#include <string>

namespace tw::cli {

std::string utf8_of(const std::wstring& wide);
std::wstring wide_of(const std::string& utf8);
bool is_utf8(const std::string& bytes);

}  // namespace tw::cli
