#include "folder_choice.h"

#include "progress_window.h"
#include "size_text.h"
#include "stub_state.h"
#include "system_dlls.h"
#include "wide.h"

namespace {

enum FolderChoice { kTemporary = 0, kDesktop = 1, kDocuments = 2, kCurrent = 3, kAsk = 4, kCustom = 5 };

wchar_t g_choice[kPathCap];

DWORD special_folder(int csidl) {
  const ShellApi* shell = shell_api();
  if (!shell) return fail(g_stub.own_path, GetLastError());
  // SHGetFolderPathW writes at most MAX_PATH characters.
  HRESULT hr = shell->SHGetFolderPathW(nullptr, csidl, nullptr, 0, g_choice);
  if (FAILED(hr)) return fail(g_stub.own_path, HRESULT_CODE(hr) ? HRESULT_CODE(hr) : ERROR_PATH_NOT_FOUND);
  return 0;
}

// Centres the dialog on its owner (the progress window; the work area
// without one) and keeps it inside the work area: left to itself it can
// open partly below the screen's edge.
int CALLBACK place_dialog(HWND dialog, UINT msg, LPARAM, LPARAM) {
  if (msg != BFFM_INITIALIZED) return 0;
  RECT box, area;
  GetWindowRect(dialog, &box);
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) return 0;
  RECT around = area;
  HWND owner = GetWindow(dialog, GW_OWNER);
  if (owner && IsWindowVisible(owner)) GetWindowRect(owner, &around);
  int w = box.right - box.left, h = box.bottom - box.top;
  int x = (around.left + around.right - w) / 2, y = (around.top + around.bottom - h) / 2;
  if (x + w > area.right) x = area.right - w;
  if (y + h > area.bottom) y = area.bottom - h;
  if (x < area.left) x = area.left;
  if (y < area.top) y = area.top;
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return 0;
}

DWORD ask_folder() {
  const ShellApi* shell = shell_api();
  if (!shell) return fail(g_stub.own_path, GetLastError());
  wchar_t display[MAX_PATH];
  BROWSEINFOW bi = {};
  bi.hwndOwner = progress::window();
  bi.pszDisplayName = display;
  bi.lpszTitle = g_stub.texts->choose_folder;
  bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;  // 0x51
  bi.lpfn = place_dialog;
  PIDLIST_ABSOLUTE chosen = shell->SHBrowseForFolderW(&bi);
  if (!chosen) return kQuietEnd;
  // The display name is not used: after some dialogs it holds nothing useful.
  BOOL ok = shell->SHGetPathFromIDListW(chosen, g_choice);
  shell->CoTaskMemFree(chosen);
  if (!ok || !g_choice[0]) return kQuietEnd;
  return 0;
}

DWORD custom_folder() {
  DWORD n = ExpandEnvironmentStringsW(g_stub.custom_folder, g_choice, kPathCap);
  if (n == 0 || n > kPathCap) return fail(g_stub.own_path, n ? ERROR_FILENAME_EXCED_RANGE : GetLastError());
  return 0;
}

DWORD temporary_folder() {
  DWORD n = GetTempPathW(kPathCap, g_choice);
  if (n == 0 || n >= kPathCap) return fail(g_stub.own_path, n ? ERROR_FILENAME_EXCED_RANGE : GetLastError());
  wend_backslash(g_choice, kPathCap);
  if (!wappend(g_choice, kPathCap, L"~sfx") || !wappend(g_choice, kPathCap, g_stub.run_id) ||
      !wappend(g_choice, kPathCap, L"\\")) {
    return fail(g_stub.own_path, ERROR_FILENAME_EXCED_RANGE);
  }
  return 0;
}

DWORD pick_folder() {
  g_choice[0] = 0;
  switch (g_stub.header.extraction_folder) {
    case kDesktop:
      return special_folder(CSIDL_DESKTOPDIRECTORY);
    case kDocuments:
      return special_folder(CSIDL_PERSONAL);
    case kCurrent:
      if (!GetCurrentDirectoryW(kPathCap, g_choice)) return fail(g_stub.own_path, GetLastError());
      return 0;
    case kAsk:
      return ask_folder();
    case kCustom:
      return custom_folder();
    default:
      return temporary_folder();
  }
}

void append_size_text(wchar_t* out, size_t cap, int64_t bytes) {
  char text[48];
  tw::size_text(bytes, text, sizeof text);
  wchar_t wide[48];
  size_t i = 0;
  for (; text[i]; ++i) wide[i] = wchar_t(static_cast<unsigned char>(text[i]));
  wide[i] = 0;
  wappend(out, cap, wide);
}

}  // namespace

DWORD choose_extraction_folder() {
  DWORD r = pick_folder();
  if (r) return r;
  DWORD n = GetFullPathNameW(g_choice, kPathCap, g_stub.folder, nullptr);
  if (n == 0 || n >= kPathCap - 1) return fail(g_choice, n ? ERROR_FILENAME_EXCED_RANGE : GetLastError());
  wend_backslash(g_stub.folder, kPathCap);
  return 0;
}

bool extracts_to_temporary_folder() {
  uint8_t choice = g_stub.header.extraction_folder;
  return choice < kDesktop || choice > kCustom;
}

DWORD check_free_space() {
  // The drive's root ("C:\") or the folder itself (a network path): when
  // its free space cannot be read the check is left out, and a full disk
  // shows itself when the files are written.
  wchar_t drive = g_stub.folder[0];
  if (drive >= L'a' && drive <= L'z') drive = wchar_t(drive - L'a' + L'A');
  wchar_t root[4] = {drive, L':', L'\\', 0};
  bool lettered = g_stub.folder[1] == L':';
  ULARGE_INTEGER available, total_bytes, free_bytes;
  if (!GetDiskFreeSpaceExW(lettered ? root : g_stub.folder, &available, &total_bytes, &free_bytes)) return 0;
  int64_t free_space = available.QuadPart > 0x7FFFFFFFFFFFFFFFull ? 0x7FFFFFFFFFFFFFFFll
                                                                  : int64_t(available.QuadPart);
  if (g_stub.total <= free_space) return 0;
  // "%s:\   [%s < %s]"
  wchar_t text[128] = {drive, L':', L'\\', L' ', L' ', L' ', L'[', 0};
  append_size_text(text, 128, free_space);
  wappend(text, 128, L" < ");
  append_size_text(text, 128, g_stub.total);
  wappend(text, 128, L"]");
  return fail(text, kCodeDiskFull);
}
