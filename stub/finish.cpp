#include "finish.h"

#include "arg_quote.h"
#include "folders.h"
#include "progress_window.h"
#include "stub_state.h"
#include "system_dlls.h"
#include "texts.h"
#include "wide.h"

namespace {

wchar_t g_message[kPathCap + 1024];

bool silent() { return g_stub.header_read && g_stub.header.silent; }

// Codes that mean damaged data: the system's texts for them ("Invalid
// data.", "Bad arguments to DosExecPgm.") tell the user nothing useful.
bool is_damage(DWORD code) {
  return code == kCodeDamaged || code == kCodeChecksum || code == kCodeInflate || code == kCodeChunkTooLarge;
}

// The system's message for the code (the stub's own text for damaged data);
// a "%1" in it takes the text, otherwise the text comes first and the
// message two lines below.
void show_error(const wchar_t* text, DWORD code) {
  const size_t cap = sizeof g_message / sizeof g_message[0];
  static wchar_t system[1024];
  if (is_damage(code)) {
    wcopy(system, 1024, damaged_text(g_stub.texts));
  } else if (!FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                             system, 1024, nullptr)) {
    system[0] = 0;
  }
  wtrim_end(system);
  g_message[0] = 0;
  const wchar_t* insert = nullptr;
  for (const wchar_t* s = system; *s; ++s) {
    if (s[0] == L'%' && s[1] == L'1') {
      insert = s;
      break;
    }
  }
  if (insert) {
    size_t head = size_t(insert - system);
    for (size_t i = 0; i < head && i + 1 < cap; ++i) g_message[i] = system[i];
    g_message[head < cap ? head : cap - 1] = 0;
    wappend(g_message, cap, text);
    wappend(g_message, cap, insert + 2);
  } else {
    wcopy(g_message, cap, text);
    if (text[0] && system[0]) wappend(g_message, cap, L"\r\n\r\n");
    wappend(g_message, cap, system);
  }
  MessageBoxW(nullptr, g_message, L"", MB_OK | MB_ICONERROR | MB_TOPMOST);
}

// Run mode removes what it extracted: the files now or at restart, then the
// folders it created, last created first.
void clean_up() {
  if (g_stub.header.extraction_mode != 1 || g_stub.header.delete_mode == 2) return;
  RemoveMode mode = g_stub.header.delete_mode == 1 ? kRemoveAtRestart : kRemoveNow;
  for (size_t i = 0; i < g_stub.extracted.count(); ++i) remove_file(g_stub.extracted.at(i), mode);
  for (size_t i = g_stub.created.count(); i-- > 0;) remove_folder_tree(g_stub.created.at(i), mode);
}

// Starts the helper hidden with the SFX file's own path; the helper file
// itself goes at the next restart.
void start_helper() {
  const ShellApi* shell = shell_api();
  if (!shell) return;
  size_t pos = 0;
  if (!tw::append_quoted_arg(g_message, sizeof g_message / sizeof g_message[0], &pos, g_stub.own_path)) return;
  SHELLEXECUTEINFOW sei = {};
  sei.cbSize = sizeof sei;
  sei.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;  // the stub ends right after
  sei.lpVerb = L"open";
  sei.lpFile = g_stub.helper_path;
  sei.lpParameters = g_message;
  sei.nShow = SW_HIDE;
  shell->ShellExecuteExW(&sei);
  MoveFileExW(g_stub.helper_path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

[[noreturn]] void finish_run(const wchar_t* text, DWORD code, DWORD exit_code) {
  if (code != 0 && !silent()) show_error(text, code);
  progress::close();
  if (g_stub.header_read) {
    clean_up();
    if (g_stub.helper_path[0]) {
      // After a failed run the helper is not started, and goes at once.
      if (code == 0) {
        start_helper();
      } else if (!DeleteFileW(g_stub.helper_path)) {
        MoveFileExW(g_stub.helper_path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
      }
    }
  }
  if (g_stub.mutex) CloseHandle(g_stub.mutex);
  ExitProcess(exit_code);
}

}  // namespace

void finish(const wchar_t* text, DWORD code) { finish_run(text, code, code); }

void finish_with_exit_code(DWORD exit_code) { finish_run(L"", 0, exit_code); }
