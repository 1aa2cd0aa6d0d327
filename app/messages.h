#pragma once
// Message texts of the maker's string table, and the words of errors.
#include <string>

namespace tw {

class BuildError;

std::wstring load_message(unsigned id);
// The system's own text for a Windows error code, without trailing breaks.
std::wstring system_message(unsigned code);
// The text an error box shows for a failed build.
std::wstring describe(const BuildError& e);

}  // namespace tw
