// The runtime stub: the program every SFX file starts as. It finds the data
// appended behind its own executable image, extracts it and then opens the
// folder or runs the chosen file. Every way out goes through finish().
#include <windows.h>

#include "code_page.h"
#include "extraction.h"
#include "finish.h"
#include "folder_choice.h"
#include "folders.h"
#include "header_texts.h"
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

// The header's texts in the recorded code page; the run identifier is
// checked as it will be used, after decoding.
bool decode_header_texts() {
  const tw::OptionHeader& h = g_stub.header;
  UINT cp = g_stub.code_page;
  return cp && decode_stored_text(cp, h.run_id, g_stub.run_id, tw::kRunIdDigits + 1) &&
         decode_stored_text(cp, h.custom_folder, g_stub.custom_folder, tw::kCustomFolderMax + 1) &&
         decode_stored_text(cp, h.parameters, g_stub.parameters, tw::kParametersMax + 1) &&
         tw::is_run_id(g_stub.run_id);
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
  if (!decode_header_texts()) return fail(g_stub.own_path, kCodeDamaged);
  return 0;
}

// A second run of the same SFX file (same run identifier) stops here.
DWORD check_instance() {
  if (!g_stub.header.one_instance) return 0;
  g_stub.mutex = CreateMutexW(nullptr, TRUE, g_stub.run_id);
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
