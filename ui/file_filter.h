#pragma once
// The rules of the file pickers: which filter entry a dialog opens with and
// which extension a typed name gets. Filters are written as in the captions:
// "caption|pattern|caption|pattern...".
#include <string>
#include <vector>

namespace tw {

struct FilterEntry {
  std::wstring caption;
  std::wstring pattern;
};

std::vector<FilterEntry> parse_filter(const std::wstring& filter);
// "caption\0pattern\0...\0\0" as the common dialogs take it.
std::wstring dialog_filter(const std::vector<FilterEntry>& entries);

// The folder part of a path with its final backslash, and the rest.
std::wstring folder_part(const std::wstring& path);
std::wstring name_part(const std::wstring& path);
// From the last point of the name part on (".exe"), or empty.
std::wstring extension_of(const std::wstring& path);

// The 1-based entry whose pattern has the extension of file_name (compared
// without regard to case); the last entry when none has; 1 when the name
// has no extension.
int filter_index_for(const std::vector<FilterEntry>& entries, const std::wstring& file_name);
// The chosen name, with the extension of the selected entry's pattern
// appended when it has none itself (".*" and no extension append nothing).
std::wstring with_filter_extension(const std::wstring& chosen,
                                   const std::vector<FilterEntry>& entries, int index);

}  // namespace tw
