#include "run_folder.h"

#include "stub_state.h"
#include "system_dlls.h"
#include "wide.h"

namespace {

// Full control for SYSTEM and administrators, read and run for the
// signed-in users; nothing inherited from the temporary folder.
const wchar_t kElevatedAcl[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;AU)";

bool is_elevated(const SecurityApi* api) {
  HANDLE token;
  if (!api->OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  TOKEN_ELEVATION elevation = {};
  DWORD got = 0;
  bool yes = api->GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &got) &&
             elevation.TokenIsElevated;
  CloseHandle(token);
  return yes;
}

// "-" and 8 hexadecimal digits from the system's random generator.
bool random_suffix(const SecurityApi* api, wchar_t out[10]) {
  unsigned char bytes[4];
  if (!api->RtlGenRandom(bytes, sizeof bytes)) return false;
  out[0] = L'-';
  for (int i = 0; i < 8; ++i) out[1 + i] = L"0123456789ABCDEF"[(bytes[i / 2] >> (i % 2 ? 0 : 4)) & 15];
  out[9] = 0;
  return true;
}

}  // namespace

DWORD make_run_folder() {
  const SecurityApi* api = security_api();
  if (!api) return fail(g_stub.own_path, GetLastError() ? GetLastError() : ERROR_PROC_NOT_FOUND);
  wchar_t* folder = g_stub.folder;
  size_t base = wlen(folder);
  while (base && folder[base - 1] == L'\\') folder[--base] = 0;

  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, FALSE};
  PSECURITY_DESCRIPTOR acl = nullptr;
  if (is_elevated(api)) {
    if (!api->ConvertStringSecurityDescriptorToSecurityDescriptorW(kElevatedAcl, 1, &acl, nullptr)) {
      return fail(g_stub.own_path, GetLastError());
    }
    sa.lpSecurityDescriptor = acl;
  }
  DWORD error = ERROR_ALREADY_EXISTS;
  for (int attempt = 0; attempt < 64 && error; ++attempt) {
    folder[base] = 0;
    wchar_t suffix[10];
    if (attempt && (!random_suffix(api, suffix) || !wappend(folder, kPathCap - 1, suffix))) {
      error = GetLastError() ? GetLastError() : ERROR_FILENAME_EXCED_RANGE;
      break;
    }
    error = CreateDirectoryW(folder, &sa) ? 0 : GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS && error != ERROR_ACCESS_DENIED) break;
  }
  if (acl) LocalFree(acl);
  if (error) return fail(folder, error);
  if (!g_stub.created.add(folder)) return fail(folder, ERROR_NOT_ENOUGH_MEMORY);
  wend_backslash(folder, kPathCap);
  return 0;
}
