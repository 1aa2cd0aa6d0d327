#include "run_file.h"

#include <windows.h>

#include "arg_quote.h"
#include "cmdline_split.h"
#include "finish.h"
#include "handle.h"
#include "progress_window.h"
#include "stub_state.h"
#include "system_dlls.h"
#include "wide.h"

namespace {

// The stored parameters, then every argument the SFX file itself got, each
// quoted so that the program receives it exactly. Heap text; null when
// memory runs out.
wchar_t* build_parameters() {
  const wchar_t* own_line = GetCommandLineW();
  // Quoting at most doubles an argument and adds quotes and a blank.
  size_t cap = tw::kParametersMax + 1 + wlen(own_line) * 3 + 16;
  HANDLE heap = GetProcessHeap();
  wchar_t* params = static_cast<wchar_t*>(HeapAlloc(heap, 0, cap * sizeof(wchar_t)));
  wchar_t* arg = static_cast<wchar_t*>(HeapAlloc(heap, 0, (wlen(own_line) + 1) * sizeof(wchar_t)));
  if (!params || !arg) return nullptr;
  wcopy(params, cap, g_stub.parameters);

  const wchar_t* rest = tw::skip_program_name<wchar_t>(own_line, nullptr);
  size_t length;
  while (tw::next_token<wchar_t>(&rest, arg, wlen(own_line) + 1, &length, nullptr)) {
    size_t pos = wlen(params);
    if (!wappend(params, cap, L" ")) break;
    ++pos;
    if (!tw::append_quoted_arg(params, cap, &pos, arg)) break;
  }
  HeapFree(heap, 0, arg);
  return params;
}

// Working folder: 0 the folder holding the run file, 1 the folder holding
// the SFX file, 2 none (the current folder stays).
const wchar_t* working_folder(wchar_t* buf) {
  const wchar_t* from;
  switch (g_stub.header.working_folder) {
    case 0:
      from = g_stub.run_path;
      break;
    case 1:
      from = g_stub.own_path;
      break;
    default:
      return nullptr;
  }
  wcopy(buf, kPathCap, from);
  size_t cut = 0;
  for (size_t i = 0; buf[i]; ++i) {
    if (buf[i] == L'\\') cut = i;
  }
  buf[cut] = 0;
  // A drive root keeps its backslash ("C:\").
  if (cut == 2 && buf[1] == L':') wcopy(buf + 2, kPathCap - 2, L"\\");
  return buf;
}

[[noreturn]] void open_folder() {
  // The shell (and COM with it) is loaded only when asked for: it costs a
  // run that extracts only a tenth of a second under Wine.
  const ShellApi* shell = g_stub.header.open_folder ? shell_api() : nullptr;
  if (shell) {
    // Without the trailing backslash (kept for a drive root): a shell that
    // quotes the path would otherwise read "\"" as an escaped quote.
    static wchar_t folder[kPathCap];
    wcopy(folder, kPathCap, g_stub.folder);
    size_t n = wlen(folder);
    if (n > 3 && folder[n - 1] == L'\\') folder[n - 1] = 0;
    SHELLEXECUTEINFOW sei = {};
    sei.cbSize = sizeof sei;
    sei.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;  // the stub ends right after
    sei.lpVerb = L"explore";
    sei.lpFile = folder;
    sei.nShow = SW_SHOWNORMAL;
    shell->ShellExecuteExW(&sei);
  }
  finish(L"", 0);
}

[[noreturn]] void run_program() {
  if (!g_stub.run_path[0]) finish(g_stub.own_path, kCodeNoRunFile);
  const ShellApi* shell = shell_api();
  if (!shell) finish(g_stub.run_path, GetLastError());
  wchar_t* params = build_parameters();
  if (!params) finish(g_stub.run_path, ERROR_NOT_ENOUGH_MEMORY);
  static wchar_t folder[kPathCap];

  SHELLEXECUTEINFOW sei = {};
  sei.cbSize = sizeof sei;
  sei.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  sei.lpVerb = L"open";
  sei.lpFile = g_stub.run_path;
  sei.lpParameters = params;
  sei.lpDirectory = working_folder(folder);
  sei.nShow = SW_SHOWNORMAL;
  if (!shell->ShellExecuteExW(&sei)) {
    DWORD error = GetLastError();
    finish(g_stub.run_path, error ? error : ERROR_FILE_NOT_FOUND);
  }
  DWORD exit_code = 0;
  if (sei.hProcess) {
    Handle process(sei.hProcess);
    WaitForSingleObject(process.get(), INFINITE);
    if (!GetExitCodeProcess(process.get(), &exit_code)) exit_code = 0;
  }
  finish_with_exit_code(exit_code);
}

}  // namespace

void after_extraction() {
  progress::close();
  switch (g_stub.header.extraction_mode) {
    case 0:
      open_folder();
    case 1:
      run_program();
    default:
      finish(L"", 0);
  }
}
