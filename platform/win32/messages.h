#pragma once
// Message texts of the maker's string table and of the system.
#include <string>

namespace tw {

// The text of the string table in the language set here (a LANGID; Korean
// until set), or the Korean one where that language has none.
void set_message_language(unsigned short language_id);
std::wstring load_message(unsigned id);
// The system's own text for a Windows error code, without trailing breaks.
std::wstring system_message(unsigned code);

}  // namespace tw
