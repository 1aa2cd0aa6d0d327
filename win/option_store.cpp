#include "option_store.h"

#include <windows.h>

#include "win_handle.h"

namespace tw {

const wchar_t kOptionsKey[] = L"Software\\Morrowfen\\Tarnwick";

namespace {

void put_string(HKEY key, const wchar_t* name, const std::wstring& value) {
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 DWORD((value.size() + 1) * sizeof(wchar_t)));
}

void put_number(HKEY key, const wchar_t* name, DWORD value) {
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

}  // namespace

void save_options_to_registry(const BuildOptions& o) {
  RegKey key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kOptionsKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                      nullptr, key.out(), nullptr) != ERROR_SUCCESS)
    return;
  HKEY k = key.get();
  put_string(k, L"Source", o.source_folder);
  put_string(k, L"Target", o.target_file);
  put_string(k, L"Icon", o.icon_file);
  put_number(k, L"ExtractionMode", o.extraction_mode);
  put_string(k, L"ExecutableFile", o.executable);
  put_string(k, L"CmdParameters", o.parameters);
  put_number(k, L"ExtractionFolder", o.extraction_folder);
  put_string(k, L"CustomFolder", o.custom_folder);
  put_number(k, L"OpenFolder", o.open_folder);
  put_number(k, L"WorkingDirectory", o.working_folder);
  put_number(k, L"DeleteMode", o.delete_mode);
  put_number(k, L"OneInstance", o.one_instance);
  put_number(k, L"SilentMode", o.silent);
  put_number(k, L"SelfDeleteMode", o.self_delete);
  put_number(k, L"UACAutoElevation", o.uac_elevation);
  put_number(k, L"OverwriteMode", o.overwrite_mode);
}

}  // namespace tw
