// The runtime stub: the program every SFX file starts as. It finds the data
// appended behind its own executable image, extracts it and then opens the
// folder or runs the chosen file. Every way out goes through finish().
#include <windows.h>

#include "code_page.h"
#include "extraction.h"
#include "finish.h"
#include "folder_choice.h"
#include "folders.h"
#include "payload_locator.h"
#include "progress_window.h"
#include "run_file.h"
#include "run_folder.h"
#include "stub_state.h"
#include "system_dlls.h"
#include "texts.h"
#include "wide.h"

StubState g_stub;
wchar_t g_fail_text[kPathCap];

DWORD fail(const wchar_t* text, DWORD code) {
  wcopy(g_fail_text, kPathCap, text);
  return code;
}

namespace {

bool read_for_locator(void*, uint32_t offset, void* buf, uint32_t n) {
  return g_stub.file.read_at(offset, buf, n);
}

// The run identifier names the mutex and the temporary folder: plain
// letters and digits only.
bool run_id_is_plain(const char* id) {
  for (; *id; ++id) {
    char c = *id;
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
  }
  return true;
}

// Own file, container start and option header.
DWORD read_header() {
  DWORD n = GetModuleFileNameW(nullptr, g_stub.own_path, kPathCap);
  if (n == 0 || n >= kPathCap) return fail(L"", n ? ERROR_FILENAME_EXCED_RANGE : GetLastError());
  if (!g_stub.file.open(g_stub.own_path)) return fail(g_stub.own_path, GetLastError());
  uint64_t start = tw::locate_payload(read_for_locator, nullptr);
  if (start == 0 || g_stub.file.size() <= start + tw::kHeaderSize) {
    return fail(g_stub.own_path, kCodeNoContainer);
  }
  unsigned char raw[tw::kHeaderSize];
  if (!g_stub.file.read_at(start, raw, tw::kHeaderSize)) return fail(g_stub.own_path, kCodeNoContainer);
  tw::decode_option_header(raw, &g_stub.header);
  g_stub.code_page = stored_code_page();
  g_stub.container_start = start;
  g_stub.header_read = true;
  if (!run_id_is_plain(g_stub.header.run_id)) return fail(g_stub.own_path, kCodeDamaged);
  return 0;
}

// A second run of the same SFX file (same run identifier) stops here.
DWORD check_instance() {
  if (!g_stub.header.one_instance) return 0;
  wchar_t name[tw::kRunIdDigits + 1];
  MultiByteToWideChar(g_stub.code_page, 0, g_stub.header.run_id, -1, name, tw::kRunIdDigits + 1);
  g_stub.mutex = CreateMutexW(nullptr, TRUE, name);
  if (GetLastError() == ERROR_ALREADY_EXISTS) return fail(g_stub.own_path, kCodeSecondInstance);
  return 0;
}

DWORD run_steps() {
  if (DWORD r = read_header()) return r;
  if (DWORD r = check_instance()) return r;
  g_stub.texts = &stub_texts(choose_language(GetSystemDefaultLangID(), GetACP()));
  if (!g_stub.header.silent) progress::open(g_stub.texts);
  if (DWORD r = measure_container()) return r;
  if (DWORD r = choose_extraction_folder()) return r;
  if (DWORD r = check_free_space()) return r;
  if (extracts_to_temporary_folder()) {
    if (DWORD r = make_run_folder()) return r;
  } else {
    create_folder_tree(g_stub.folder, &g_stub.created);
  }
  return extract_container();
}

}  // namespace

// The entry point (the stub is linked without the C runtime's start-up
// code: nothing of it is needed, and it would make the stub larger).
extern "C" void stub_entry() {
  restrict_dll_search();
  DWORD r = run_steps();
  if (r == kQuietEnd) finish(L"", 0);
  if (r) finish(g_fail_text, r);
  after_extraction();
}
