#pragma once
// Path texts the build takes apart and joins, in the separator of the
// system it runs on (a normalised Windows path holds backslashes only).
#include <string>

namespace tw {

// The folder part with its separator ("C:\out\"), empty for a bare name.
std::wstring folder_part(const std::wstring& path, wchar_t separator);
std::wstring name_part(const std::wstring& path, wchar_t separator);
// The path of a source item: source (ending with a separator) and the
// item's name as the container stores it (backslashes).
std::wstring item_path(const std::wstring& source, const std::wstring& name, wchar_t separator);

}  // namespace tw
