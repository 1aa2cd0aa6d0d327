#pragma once
// Small Win32 path helpers of the maker.
#include <string>

namespace tw {

std::wstring full_path_of(const std::wstring& path);
bool directory_exists(const std::wstring& path);
bool file_exists(const std::wstring& path);
// Ordinal comparison without regard to case.
bool equal_ignoring_case(const std::wstring& a, const std::wstring& b);
bool starts_with_ignoring_case(const std::wstring& text, const std::wstring& prefix);
// Creates a folder with all missing parents; true when it exists afterwards.
bool create_folder_tree(const std::wstring& folder);
std::wstring parent_folder(const std::wstring& path);

}  // namespace tw
