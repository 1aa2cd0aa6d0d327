#pragma once
// UTF-8 and wide text: UTF-16 where wchar_t has 16 bits (Windows), UTF-32
// where it has 32 (Linux). The console tool keeps its texts in UTF-8.
#include <string>

namespace tw::cli {

// Unpaired surrogates and bytes that are no UTF-8 become U+FFFD.
std::string utf8_of(const std::wstring& wide);
std::wstring wide_of(const std::string& utf8);
// False when the bytes are no sound UTF-8 (overlong forms and surrogates
// included).
bool is_utf8(const std::string& bytes);

}  // namespace tw::cli
