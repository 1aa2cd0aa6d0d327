#pragma once
// The file version of the running program, read from its own version
// resource ("1.0.0.1"); empty when it has none.
#include <string>

namespace tw {

std::wstring own_file_version();
// "1.0.0.1" -> "1.0": cut before the second point.
std::wstring major_minor(const std::wstring& version);

}  // namespace tw
