#include "extraction.h"

#include "extract_pass.h"
#include "file_system_win32.h"
#include "progress_window.h"
#include "read_ahead.h"
#include "record_walk.h"
#include "stub_state.h"
#include "texts.h"
#include "wide.h"

namespace {

unsigned char g_name[tw::kNameMax];
wchar_t g_wide_name[tw::kNameMax + 1];
wchar_t g_question[kPathCap + 512];
wchar_t g_temp_folder[kPathCap];
tw::Extraction g_pass;
// Compressed data is read, and inflated data written, in pieces of 1 MiB.
const uint32_t kPiece = 1 << 20;

bool read_own(void*, uint64_t offset, void* buf, uint32_t n) { return g_stub.file.read_at(offset, buf, n); }

// Names are bytes of the code page the SFX file was made with; bytes that
// are no text there make no name (two such names would both become
// replacement characters, and one file would overwrite the other).
int decode(void*, const unsigned char* in, uint32_t n, wchar_t* out, uint32_t cap) {
  if (n > 0x7FFFFFFF) return -1;
  int k = MultiByteToWideChar(g_stub.code_page, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(in), int(n),
                              out, int(cap));
  return k > 0 ? k : -1;
}

const tw::PassHooks kHooksNoFs = {nullptr, nullptr, decode, nullptr, nullptr};

bool name_ok(void*, const unsigned char* name, uint32_t length, bool directory) {
  int n;
  return tw::decode_entry_name(kHooksNoFs, name, length, directory, g_wide_name, &n);
}

void after_record(void*) { progress::pump(); }

bool message_for(DWORD code, wchar_t* out, DWORD cap) {
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, out,
                           cap, nullptr);
  if (!n) out[0] = 0;
  wtrim_end(out);
  return n != 0;
}

// "The file exists." / path / empty line / "Overwrite file?"; Yes or No.
bool ask_overwrite(void*, const wchar_t* path) {
  const size_t cap = sizeof g_question / sizeof g_question[0];
  message_for(ERROR_FILE_EXISTS, g_question, 256);
  wappend(g_question, cap, L"\r\n");
  wappend(g_question, cap, path);
  wappend(g_question, cap, L"\r\n\r\n");
  wappend(g_question, cap, g_stub.texts->overwrite);
  int answer = MessageBoxW(nullptr, g_question, L"", MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION | MB_TOPMOST);
  return answer == IDYES;
}

void report_progress(void*, uint64_t done) {
  g_stub.done = int64_t(done);
  progress::update(g_stub.done, g_stub.total);
  progress::pump();
}

void* allocate(size_t n) { return VirtualAlloc(nullptr, n, MEM_COMMIT, PAGE_READWRITE); }

}  // namespace

DWORD measure_container() {
  tw::RecordSource source = {nullptr, read_own, g_stub.file.size()};
  tw::WalkHooks hooks = {nullptr, name_ok, after_record};
  int64_t total = 0;
  bool sound = tw::measure_records(source, g_stub.container_start + tw::kHeaderSize,
                                   g_stub.header.compressed != 0, hooks, g_name, &total);
  // A container of empty files and folders only is sound: the maker writes
  // one for such a source, and it extracts like any other.
  if (!sound) return fail(g_stub.own_path, kCodeDamaged);
  g_stub.total = total;
  return 0;
}

DWORD extract_container() {
  tw::Extraction* x = &g_pass;
  x->in = static_cast<unsigned char*>(allocate(kPiece + tw::kInflatePad));
  x->in_cap = kPiece;
  x->window = static_cast<unsigned char*>(allocate(tw::kInflateHistory + kPiece + tw::kInflateSlack));
  x->out_piece = kPiece;
  x->carrier = read_ahead_carrier();
  if (!x->in || !x->window) return fail(g_stub.own_path, ERROR_NOT_ENOUGH_MEMORY);
  DWORD n = GetTempPathW(kPathCap, g_temp_folder);
  if (n == 0 || n >= kPathCap - 1)
    return fail(g_stub.own_path, n ? ERROR_FILENAME_EXCED_RANGE : GetLastError());
  wend_backslash(g_temp_folder, kPathCap);

  x->src = {nullptr, read_own, g_stub.file.size()};
  x->first_record = g_stub.container_start + tw::kHeaderSize;
  x->compressed = g_stub.header.compressed != 0;
  x->overwrite_mode = g_stub.header.overwrite_mode;
  x->self_delete = g_stub.header.self_delete != 0;
  x->folder = g_stub.folder;
  x->temp_folder = g_temp_folder;
  x->hooks = {nullptr, win32_file_system(), decode, ask_overwrite, report_progress};
  x->run_path = g_stub.run_path;
  x->helper_path = g_stub.helper_path;
  x->extracted = &g_stub.extracted;
  x->created = &g_stub.created;
  DWORD r = tw::run_extraction(x);
  if (r) return fail(x->fail_path ? x->fail_path : g_stub.own_path, r);
  return 0;
}
