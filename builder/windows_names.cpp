#include "windows_names.h"

#include <algorithm>
#include <map>
#include <utility>

#include "name_order.h"

namespace tw {

namespace {

bool is_device_name(const std::wstring& name) {
  // The part before the first dot, its trailing blanks left out, decides.
  std::wstring base = name.substr(0, name.find(L'.'));
  while (!base.empty() && base.back() == L' ') base.pop_back();
  std::wstring upper;
  for (wchar_t c : base) upper += (c >= L'a' && c <= L'z') ? wchar_t(c - 32) : c;
  for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL"})
    if (upper == device) return true;
  return upper.size() == 4 && (upper.compare(0, 3, L"COM") == 0 || upper.compare(0, 3, L"LPT") == 0) &&
         upper[3] >= L'1' && upper[3] <= L'9';
}

}  // namespace

bool windows_can_hold(const std::wstring& name) {
  if (name.empty() || name.back() == L'.' || name.back() == L' ' || is_device_name(name)) return false;
  for (wchar_t c : name)
    if (unsigned(c) < 0x20 || std::wstring(L"<>:\"/\\|?*").find(c) != std::wstring::npos) return false;
  return true;
}

std::vector<size_t> names_windows_cannot_hold(const std::vector<FileItem>& items) {
  std::vector<size_t> refused;
  // Twins: one folder, one upper-cased name.
  std::map<std::pair<std::wstring, std::u16string>, std::vector<size_t>> folders;
  for (size_t i = 0; i < items.size(); ++i) {
    const std::wstring& path = items[i].name;
    std::wstring name = path.substr(items[i].own_name);
    if (!windows_can_hold(name)) refused.push_back(i);
    folders[{path.substr(0, items[i].own_name), upper_key(name)}].push_back(i);
  }
  for (const auto& group : folders)
    if (group.second.size() > 1) refused.insert(refused.end(), group.second.begin(), group.second.end());
  std::sort(refused.begin(), refused.end());
  refused.erase(std::unique(refused.begin(), refused.end()), refused.end());
  return refused;
}

}  // namespace tw
