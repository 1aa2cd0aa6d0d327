#include "system_dlls.h"

#include "wide.h"

namespace {

ShellApi g_api;
bool g_loaded;
SecurityApi g_security;
bool g_security_loaded;
bool g_default_dirs;  // SetDefaultDllDirectories took effect

HMODULE load_system_dll(const wchar_t* name) {
  wchar_t path[MAX_PATH + 32];
  UINT n = GetSystemDirectoryW(path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return nullptr;
  if (!wend_backslash(path, MAX_PATH + 32) || !wappend(path, MAX_PATH + 32, name)) return nullptr;
  // The DLL's own imports are looked for in the system folder too: through
  // the default directories where they are set, else through the altered
  // search order (the folder of the DLL first).
  return LoadLibraryExW(path, nullptr, g_default_dirs ? 0 : LOAD_WITH_ALTERED_SEARCH_PATH);
}

template <class Fn>
bool bind(HMODULE module, const char* name, Fn* fn) {
  *fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return *fn != nullptr;
}

}  // namespace

void restrict_dll_search() {
  typedef BOOL(WINAPI * SetDefaultDllDirectoriesFn)(DWORD);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  SetDefaultDllDirectoriesFn set_dirs = nullptr;
  if (kernel) bind(kernel, "SetDefaultDllDirectories", &set_dirs);
  if (set_dirs) g_default_dirs = set_dirs(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
  // Older systems lack it; at least take the current folder out of the search.
  typedef BOOL(WINAPI * SetDllDirectoryFn)(LPCWSTR);
  SetDllDirectoryFn set_dll_dir = nullptr;
  if (!g_default_dirs && kernel && bind(kernel, "SetDllDirectoryW", &set_dll_dir)) set_dll_dir(L"");
}

const ShellApi* shell_api() {
  if (g_loaded) return &g_api;
  HMODULE shell = load_system_dll(L"shell32.dll");
  HMODULE ole = load_system_dll(L"ole32.dll");
  if (!shell || !ole) return nullptr;
  typedef HRESULT(WINAPI * CoInitializeExFn)(LPVOID, DWORD);
  CoInitializeExFn co_init = nullptr;
  if (!bind(shell, "SHGetFolderPathW", &g_api.SHGetFolderPathW) ||
      !bind(shell, "SHBrowseForFolderW", &g_api.SHBrowseForFolderW) ||
      !bind(shell, "SHGetPathFromIDListW", &g_api.SHGetPathFromIDListW) ||
      !bind(shell, "ShellExecuteExW", &g_api.ShellExecuteExW) ||
      !bind(ole, "CoTaskMemFree", &g_api.CoTaskMemFree) || !bind(ole, "CoInitializeEx", &co_init)) {
    return nullptr;
  }
  co_init(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  g_loaded = true;
  return &g_api;
}

const SecurityApi* security_api() {
  if (g_security_loaded) return &g_security;
  HMODULE advapi = load_system_dll(L"advapi32.dll");
  if (!advapi || !bind(advapi, "SystemFunction036", &g_security.RtlGenRandom) ||
      !bind(advapi, "OpenProcessToken", &g_security.OpenProcessToken) ||
      !bind(advapi, "GetTokenInformation", &g_security.GetTokenInformation) ||
      !bind(advapi, "ConvertStringSecurityDescriptorToSecurityDescriptorW",
            &g_security.ConvertStringSecurityDescriptorToSecurityDescriptorW)) {
    return nullptr;
  }
  g_security_loaded = true;
  return &g_security;
}
