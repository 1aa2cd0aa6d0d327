#include "file_filter.h"

#include <wctype.h>

namespace tw {

namespace {

bool same_ignoring_case(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (towlower(a[i]) != towlower(b[i])) return false;
  return true;
}

size_t name_start(const std::wstring& path) {
  size_t cut = path.find_last_of(L"\\/:");
  return cut == std::wstring::npos ? 0 : cut + 1;
}

}  // namespace

std::vector<FilterEntry> parse_filter(const std::wstring& filter) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  for (;;) {
    size_t bar = filter.find(L'|', start);
    parts.push_back(filter.substr(start, bar == std::wstring::npos ? bar : bar - start));
    if (bar == std::wstring::npos) break;
    start = bar + 1;
  }
  std::vector<FilterEntry> entries;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) entries.push_back({parts[i], parts[i + 1]});
  return entries;
}

std::wstring dialog_filter(const std::vector<FilterEntry>& entries) {
  std::wstring out;
  for (const FilterEntry& e : entries) {
    out += e.caption;
    out += L'\0';
    out += e.pattern;
    out += L'\0';
  }
  out += L'\0';
  return out;
}

std::wstring folder_part(const std::wstring& path) { return path.substr(0, name_start(path)); }
std::wstring name_part(const std::wstring& path) { return path.substr(name_start(path)); }

std::wstring extension_of(const std::wstring& path) {
  std::wstring name = name_part(path);
  size_t dot = name.rfind(L'.');
  return dot == std::wstring::npos ? std::wstring() : name.substr(dot);
}

int filter_index_for(const std::vector<FilterEntry>& entries, const std::wstring& file_name) {
  std::wstring ext = extension_of(file_name);
  if (ext.empty()) return 1;
  int index = 0;
  for (const FilterEntry& e : entries) {
    ++index;
    if (same_ignoring_case(extension_of(e.pattern), ext)) break;
  }
  return index;
}

std::wstring with_filter_extension(const std::wstring& chosen,
                                   const std::vector<FilterEntry>& entries, int index) {
  if (!extension_of(chosen).empty() || index < 1 || size_t(index) > entries.size()) return chosen;
  std::wstring ext = extension_of(entries[size_t(index) - 1].pattern);
  if (ext == L".*") return chosen;
  return chosen + ext;
}

}  // namespace tw
