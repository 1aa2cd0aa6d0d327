#pragma once
// Message texts of the maker's string table and of the system.
#include <string>

namespace tw {

std::wstring load_message(unsigned id);
// The system's own text for a Windows error code, without trailing breaks.
std::wstring system_message(unsigned code);

}  // namespace tw
