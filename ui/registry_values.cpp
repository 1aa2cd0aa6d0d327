#include "registry_values.h"

#include <vector>

#include "option_store.h"

namespace tw {

namespace {

ValueRead missing_or_wrong(LONG status) {
  return status == ERROR_FILE_NOT_FOUND ? ValueRead::kMissing : ValueRead::kWrongType;
}

}  // namespace

bool RegistryOptionValues::open() {
  return RegCreateKeyExW(HKEY_CURRENT_USER, kOptionsKey, 0, nullptr, 0,
                         KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, key_.out(),
                         nullptr) == ERROR_SUCCESS;
}

ValueRead RegistryOptionValues::string_value(const wchar_t* name, std::wstring* out) {
  DWORD type = 0, bytes = 0;
  LONG status = RegQueryValueExW(key_.get(), name, nullptr, &type, nullptr, &bytes);
  if (status != ERROR_SUCCESS) return missing_or_wrong(status);
  if (type != REG_SZ && type != REG_EXPAND_SZ) return ValueRead::kWrongType;
  std::vector<wchar_t> buf(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = DWORD(buf.size() * sizeof(wchar_t));
  status = RegQueryValueExW(key_.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buf.data()),
                            &bytes);
  if (status != ERROR_SUCCESS) return ValueRead::kWrongType;
  // The stored string may or may not end with its NUL.
  out->assign(buf.data(), wcsnlen(buf.data(), bytes / sizeof(wchar_t)));
  return ValueRead::kOk;
}

ValueRead RegistryOptionValues::number_value(const wchar_t* name, uint32_t* out) {
  DWORD type = 0, value = 0, bytes = sizeof value;
  LONG status = RegQueryValueExW(key_.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                                 &bytes);
  if (status == ERROR_MORE_DATA) return ValueRead::kWrongType;
  if (status != ERROR_SUCCESS) return missing_or_wrong(status);
  if (type != REG_DWORD || bytes != sizeof value) return ValueRead::kWrongType;
  *out = value;
  return ValueRead::kOk;
}

}  // namespace tw
