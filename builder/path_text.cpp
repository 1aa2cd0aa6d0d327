#include "path_text.h"

namespace tw {

std::wstring folder_part(const std::wstring& path, wchar_t separator) {
  size_t at = path.rfind(separator);
  return at == std::wstring::npos ? std::wstring() : path.substr(0, at + 1);
}

std::wstring name_part(const std::wstring& path, wchar_t separator) {
  size_t at = path.rfind(separator);
  return at == std::wstring::npos ? path : path.substr(at + 1);
}

std::wstring item_path(const std::wstring& source, const std::wstring& name, wchar_t separator) {
  std::wstring path = source + name;
  if (separator != L'\\')
    for (size_t i = source.size(); i < path.size(); ++i)
      if (path[i] == L'\\') path[i] = separator;
  return path;
}

}  // namespace tw
