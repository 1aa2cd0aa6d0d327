#include "extraction.h"

#include <zlib.h>

#include "byte_sum.h"
#include "entry_name.h"
#include "folders.h"
#include "handle.h"
#include "progress_window.h"
#include "record_walk.h"
#include "stub_state.h"
#include "texts.h"
#include "wide.h"

namespace {

unsigned char g_name[tw::kNameMax];
wchar_t g_wide_name[tw::kNameMax + 1];
wchar_t g_path[kPathCap];
wchar_t g_question[kPathCap + 512];

// ---- measuring ------------------------------------------------------------

bool read_own(void*, uint64_t offset, void* buf, uint32_t n) {
  return g_stub.file.read_at(offset, buf, n);
}

// Names are bytes of the ANSI code page; the stub works with their UTF-16
// form and checks that form (a trail byte can look like a backslash).
bool widen_name(const unsigned char* name, uint32_t length) {
  int n = 0;
  if (length) {
    n = MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(name), int(length), g_wide_name,
                            int(tw::kNameMax));
    if (n <= 0) return false;
  }
  g_wide_name[n] = 0;
  return true;
}

bool name_ok(void*, const unsigned char* name, uint32_t length, bool directory) {
  return widen_name(name, length) && tw::is_safe_entry_name(g_wide_name, wlen(g_wide_name), directory);
}

void after_record(void*) { progress::pump(); }

// ---- extraction -----------------------------------------------------------

// Buffers of the extraction pass: compressed chunks (or stored data) and one
// inflated chunk, both on the heap.
unsigned char* g_data;
unsigned char* g_block;

// The file being written; closed (and on failure deleted) by its owner.
class OutFile {
 public:
  OutFile() = default;
  OutFile(const OutFile&) = delete;
  OutFile& operator=(const OutFile&) = delete;
  ~OutFile() { discard(); }

  bool create(const wchar_t* path) {
    path_ = path;
    file_ = Handle(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file_.valid();
  }
  bool is_open() const { return file_.valid(); }
  bool write(const void* data, uint32_t n) {
    DWORD put = 0;
    return WriteFile(file_.get(), data, n, &put, nullptr) && put == n;
  }
  // Sets the last-write time from a packed DOS date-time and closes.
  void finish(uint32_t dos_time) {
    FILETIME local, utc;
    if (DosDateTimeToFileTime(WORD(dos_time >> 16), WORD(dos_time), &local) &&
        LocalFileTimeToFileTime(&local, &utc)) {
      SetFileTime(file_.get(), nullptr, nullptr, &utc);
    }
    file_.close();
    path_ = nullptr;
  }
  // A file left unfinished holds damaged data: it goes.
  void discard() {
    if (!file_.valid()) return;
    file_.close();
    DeleteFileW(path_);
  }

 private:
  Handle file_;
  const wchar_t* path_ = nullptr;
};

bool ensure_buffers() {
  if (g_data) return true;
  g_data = static_cast<unsigned char*>(VirtualAlloc(nullptr, kDataBufferSize, MEM_COMMIT, PAGE_READWRITE));
  g_block = static_cast<unsigned char*>(VirtualAlloc(nullptr, tw::kChunkRawMax, MEM_COMMIT, PAGE_READWRITE));
  return g_data && g_block;
}

// Attributes a record may give a file or folder (the folder bit and the
// like are not for setting).
DWORD settable_attributes(uint32_t attributes) {
  DWORD a = attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                          FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
  return a ? a : FILE_ATTRIBUTE_NORMAL;
}

bool message_for(DWORD code, wchar_t* out, DWORD cap) {
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, out,
                           cap, nullptr);
  if (!n) out[0] = 0;
  wtrim_end(out);
  return n != 0;
}

// "The file exists." / path / empty line / "Overwrite file?"; Yes or No.
bool ask_overwrite(const wchar_t* path) {
  const size_t cap = sizeof g_question / sizeof g_question[0];
  message_for(ERROR_FILE_EXISTS, g_question, 256);
  wappend(g_question, cap, L"\r\n");
  wappend(g_question, cap, path);
  wappend(g_question, cap, L"\r\n\r\n");
  wappend(g_question, cap, g_stub.texts->overwrite);
  int answer = MessageBoxW(nullptr, g_question, L"",
                           MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION | MB_TOPMOST);
  return answer == IDYES;
}

bool should_write(const wchar_t* path, uint8_t kind) {
  if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return true;
  // The helper is the stub's own file in the temporary folder: always fresh.
  if (kind == tw::kKindHelper) return true;
  switch (g_stub.header.overwrite_mode) {
    case 1:
      return true;
    case 2:
      return false;
    default:
      return ask_overwrite(path);
  }
}

void report_progress(uint32_t bytes) {
  g_stub.done += bytes;
  progress::update(g_stub.done, g_stub.total);
  progress::pump();
}

// Reads, inflates, checks and (when out is open) writes the chunks of one
// compressed file. *sum carries the running checksum.
DWORD copy_compressed(OutFile* out, const wchar_t* path, uint64_t size, uint32_t* sum) {
  uint64_t handled = 0;
  while (handled < size) {
    unsigned char lengths[8];
    if (!g_stub.file.read(lengths, 8)) return fail(g_stub.own_path, kCodeChecksum);
    uint32_t raw = tw::get_u32le(lengths);
    uint32_t stream = tw::get_u32le(lengths + 4);
    if (stream > tw::kChunkCompressedMax) return fail(g_stub.own_path, kCodeChunkTooLarge);
    if (!tw::raw_length_fits(raw, size - handled)) return fail(g_stub.own_path, kCodeChecksum);
    if (!g_stub.file.read(g_data, stream)) return fail(g_stub.own_path, kCodeChecksum);

    z_stream z = {};
    z.next_in = g_data;
    z.avail_in = stream;
    z.next_out = g_block;
    z.avail_out = raw;
    bool inflated = inflateInit(&z) == Z_OK;
    inflated = inflated && inflate(&z, Z_FINISH) == Z_STREAM_END && z.total_out == raw;
    inflateEnd(&z);
    if (!inflated) return fail(path, kCodeInflate);

    if (out->is_open() && !out->write(g_block, raw)) return fail(path, GetLastError());
    *sum = tw::byte_sum(*sum, g_block, raw);
    handled += raw;
    report_progress(raw);
  }
  return 0;
}

// The same for data stored without compression.
DWORD copy_stored(OutFile* out, const wchar_t* path, uint64_t size, uint32_t* sum) {
  uint64_t handled = 0;
  while (handled < size) {
    uint64_t left = size - handled;
    uint32_t n = left < kDataBufferSize ? uint32_t(left) : kDataBufferSize;
    if (!g_stub.file.read(g_data, n)) return fail(g_stub.own_path, kCodeChecksum);
    if (out->is_open() && !out->write(g_data, n)) return fail(path, GetLastError());
    *sum = tw::byte_sum(*sum, g_data, n);
    handled += n;
    report_progress(n);
  }
  return 0;
}

DWORD read_checksum(uint32_t computed) {
  unsigned char stored[4];
  if (!g_stub.file.read(stored, 4) || tw::get_u32le(stored) != computed) {
    return fail(g_stub.own_path, kCodeChecksum);
  }
  return 0;
}

DWORD extract_folder(const tw::EntryHead& head, uint32_t sum) {
  create_folder_tree(g_path, &g_stub.created);
  if (DWORD r = read_checksum(sum)) return r;
  SetFileAttributesW(g_path, settable_attributes(head.attributes));
  return 0;
}

DWORD extract_file(const tw::EntryHead& head, uint32_t sum) {
  if (head.kind == tw::kKindRunFile) wcopy(g_stub.run_path, kPathCap, g_path);
  if (head.kind == tw::kKindHelper) wcopy(g_stub.helper_path, kPathCap, g_path);

  OutFile out;
  if (should_write(g_path, head.kind)) {
    SetFileAttributesW(g_path, FILE_ATTRIBUTE_NORMAL);
    if (!out.create(g_path)) return fail(g_path, GetLastError());
    // Only files this run wrote are removed again after the run.
    if (head.kind != tw::kKindHelper && !g_stub.extracted.add(g_path)) {
      return fail(g_path, ERROR_NOT_ENOUGH_MEMORY);
    }
  }
  uint64_t size = uint64_t(head.size);
  DWORD r = g_stub.header.compressed ? copy_compressed(&out, g_path, size, &sum)
                                     : copy_stored(&out, g_path, size, &sum);
  if (r) return r;
  if ((r = read_checksum(sum))) return r;
  if (out.is_open()) out.finish(head.dos_time);
  SetFileAttributesW(g_path, settable_attributes(head.attributes));
  return 0;
}

// path := base + name, where base is the extraction folder or, for the
// helper, the temporary folder.
DWORD compose_path(uint8_t kind) {
  if (kind == tw::kKindHelper) {
    DWORD n = GetTempPathW(kPathCap, g_path);
    if (n == 0 || n >= kPathCap) return fail(g_stub.own_path, n ? ERROR_FILENAME_EXCED_RANGE : GetLastError());
    wend_backslash(g_path, kPathCap);
  } else {
    wcopy(g_path, kPathCap, g_stub.folder);
  }
  if (!wappend(g_path, kPathCap, g_wide_name)) return fail(g_path, ERROR_FILENAME_EXCED_RANGE);
  return 0;
}

DWORD extract_record(const tw::EntryHead& head) {
  if (head.size < 0 || head.name_length > tw::kNameMax) return fail(g_stub.own_path, kCodeChecksum);
  if (!g_stub.file.read(g_name, head.name_length)) return fail(g_stub.own_path, kCodeChecksum);
  bool directory = tw::is_directory(head);
  if (!name_ok(nullptr, g_name, head.name_length, directory)) return fail(g_stub.own_path, kCodeChecksum);
  if (DWORD r = compose_path(head.kind)) return r;
  uint32_t sum = tw::byte_sum(0, g_name, head.name_length);
  return directory ? extract_folder(head, sum) : extract_file(head, sum);
}

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
  if (!ensure_buffers()) return fail(g_stub.own_path, ERROR_NOT_ENOUGH_MEMORY);
  uint64_t pos = g_stub.container_start + tw::kHeaderSize;
  unsigned char raw_head[tw::kEntryHeadSize];
  if (!g_stub.file.read_at(pos, raw_head, tw::kEntryHeadSize)) return fail(g_stub.own_path, kCodeChecksum);
  for (;;) {
    tw::EntryHead head;
    tw::decode_entry_head(raw_head, &head);
    if (tw::is_terminator(head)) return 0;
    if (DWORD r = extract_record(head)) return r;
    progress::pump();
    if (!g_stub.file.read(raw_head, tw::kEntryHeadSize)) return fail(g_stub.own_path, kCodeChecksum);
  }
}
