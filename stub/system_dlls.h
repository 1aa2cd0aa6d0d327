#pragma once
// The stub is often started from a downloads folder full of other files, so
// it never lets Windows look for a DLL beside itself: the search is limited
// to the system folder where the system allows it, and the shell and COM
// libraries are loaded from the system folder by full path instead of being
// imported (only kernel32, user32, gdi32 and the C runtime, all KnownDLLs,
// are in the import table).
#include <windows.h>
#include <shlobj.h>
#include <shellapi.h>

struct ShellApi {
  HRESULT(WINAPI* SHGetFolderPathW)(HWND, int, HANDLE, DWORD, LPWSTR);
  PIDLIST_ABSOLUTE(WINAPI* SHBrowseForFolderW)(LPBROWSEINFOW);
  BOOL(WINAPI* SHGetPathFromIDListW)(PCIDLIST_ABSOLUTE, LPWSTR);
  BOOL(WINAPI* ShellExecuteExW)(SHELLEXECUTEINFOW*);
  void(WINAPI* CoTaskMemFree)(LPVOID);
};

// advapi32: the system's random generator and the access lists of the
// temporary run folder.
struct SecurityApi {
  BOOLEAN(WINAPI* RtlGenRandom)(PVOID, ULONG);  // exported as SystemFunction036
  BOOL(WINAPI* OpenProcessToken)(HANDLE, DWORD, PHANDLE);
  BOOL(WINAPI* GetTokenInformation)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD);
  BOOL(WINAPI* ConvertStringSecurityDescriptorToSecurityDescriptorW)(LPCWSTR, DWORD, PSECURITY_DESCRIPTOR*,
                                                                     PULONG);
};

// First thing the stub does: restrict the DLL search of the process.
void restrict_dll_search();

// Loads shell32 and ole32 from the system folder (once) and initialises
// COM for the shell's dialogs. Returns null when they cannot be loaded; the
// last error tells why.
const ShellApi* shell_api();

// Loads advapi32 from the system folder (once). Null when it cannot.
const SecurityApi* security_api();
