#include "extract_pass.h"

#include <string.h>

#include "byte_sum.h"
#include "entry_name.h"
#include "wide.h"

namespace tw {

namespace {

const uint32_t kAttrNormal = 0x80;
// Attributes a record may give a file or folder: read-only, hidden,
// system, archive, not content-indexed.
const uint32_t kSettable = 0x01 | 0x02 | 0x04 | 0x20 | 0x2000;
const char kHelperName[] = TW_HELPER_NAME;

uint32_t settable_attributes(uint32_t attributes) {
  uint32_t a = attributes & kSettable;
  return a ? a : kAttrNormal;
}

// A failure of the file system at `path`: the first one is reported once
// the rest has been checked; nothing more is written.
void note_failure_at(Extraction* x, uint32_t code, const wchar_t* path) {
  if (!x->fs_error) {
    x->fs_error = code;
    wcopy(x->failed_at, kPathChars, path);
  }
  x->writing = false;
}

void note_failure(Extraction* x, uint32_t code) { note_failure_at(x, code, x->path); }

// Removes a file this run wrote (it may have been made read-only).
void discard(Extraction* x, const wchar_t* path) {
  const FileSystem* fs = x->hooks.fs;
  fs->set_attributes(fs->ctx, path, kAttrNormal);
  fs->remove_file(fs->ctx, path);
}

bool read_next(Extraction* x, void* buf, uint32_t n) {
  if (n > x->src.size || x->pos > x->src.size - n) return false;
  if (!x->src.read_at(x->src.ctx, x->pos, buf, n)) return false;
  x->pos += n;
  return true;
}

// ------------------------------------------------------ reading half

struct Reading {
  Extraction* x;
  const RecordSink* sink;
};

bool stream_read(void* ctx, unsigned char* buf, uint32_t n) {
  return read_next(static_cast<Reading*>(ctx)->x, buf, n);
}

bool stream_put(void* ctx, const unsigned char* p, uint32_t n) {
  const RecordSink* sink = static_cast<Reading*>(ctx)->sink;
  sink->data(sink->ctx, p, n);
  return true;
}

// Reads, inflates and sums the chunks of one file of `size` bytes, piece
// by piece, and hands them on.
uint32_t copy_data(Extraction* x, const RecordSink& sink, uint64_t size, uint32_t* sum) {
  uint64_t handled = 0;
  while (handled < size) {
    if (!x->compressed) {
      uint64_t left = size - handled;
      uint32_t n = left < x->in_cap ? uint32_t(left) : x->in_cap;
      if (!read_next(x, x->in, n)) return kCodeChecksum;
      *sum = byte_sum(*sum, x->in, n);
      sink.data(sink.ctx, x->in, n);
      handled += n;
      continue;
    }
    unsigned char lengths[8];
    if (!read_next(x, lengths, 8)) return kCodeChecksum;
    uint32_t n = get_u32le(lengths);
    uint32_t stream = get_u32le(lengths + 4);
    if (stream > kChunkCompressedMax) return kCodeChunkTooLarge;
    if (!raw_length_fits(n, size - handled)) return kCodeChecksum;
    if (stream > x->src.size - x->pos) return kCodeChecksum;
    uint64_t end = x->pos + stream;  // bytes behind the stream's end are not looked at
    Reading reading = {x, &sink};
    InflateIo io = {&reading, stream_read, stream_put, x->in, x->in_cap, x->window, x->out_piece};
    StreamEnd r = inflate_stream(&x->inflater, io, stream, n, sum);
    if (r == kStreamUnread) return kCodeChecksum;
    if (r != kStreamDone) return kCodeInflate;
    x->pos = end;
    handled += n;
  }
  return 0;
}

uint32_t read_checksum(Extraction* x, uint32_t computed) {
  unsigned char stored[4];
  if (!read_next(x, stored, 4) || get_u32le(stored) != computed) return kCodeChecksum;
  return 0;
}

// The helper is only ever the first record, under its one name, and only
// when the header asks for self-deletion.
bool helper_allowed(const Extraction* x, const EntryHead& head, uint32_t index) {
  return index == 0 && x->self_delete && !is_directory(head) && head.name_length == sizeof kHelperName - 1 &&
         memcmp(x->name, kHelperName, sizeof kHelperName - 1) == 0;
}

// ------------------------------------------------------------- places

wchar_t fold(wchar_t c) { return (c >= L'a' && c <= L'z') ? wchar_t(c - L'a' + L'A') : c; }

// True when path lies below root (both final paths; root without a
// trailing backslash is fine).
bool is_below(const wchar_t* path, const wchar_t* root) {
  size_t n = wlen(root);
  while (n && root[n - 1] == L'\\') --n;
  for (size_t i = 0; i < n; ++i) {
    if (fold(path[i]) != fold(root[i])) return false;
  }
  return path[n] == L'\\' && path[n + 1] != 0;
}

// The final path of the folder that `base` names, once per base.
void load_root(Extraction* x, const wchar_t* base) {
  if (x->root_for == base) return;
  x->root_for = base;
  x->checked[0] = 0;
  const FileSystem* fs = x->hooks.fs;
  if (fs->final_path(fs->ctx, base, x->root_final, kPathChars)) x->root_final[0] = 0;
}

// Where `path` really is must lie below the root. Without a final path of
// the root the system cannot tell, and the attribute checks stand alone.
uint32_t check_final(Extraction* x, const wchar_t* path) {
  if (!x->root_final[0]) return 0;
  const FileSystem* fs = x->hooks.fs;
  if (uint32_t r = fs->final_path(fs->ctx, path, x->final_path, kPathChars)) return r;
  return is_below(x->final_path, x->root_final) ? 0 : kErrReparsePoint;
}

// The folders of x->path from `from` up to `end` (exclusive): each must be
// a real folder, not a link. make: missing ones are created (and listed;
// the creation is tried first, as the folders are new in most runs); else
// a missing one is an error. *made: the last one was created now.
uint32_t walk_folders(Extraction* x, size_t from, size_t end, bool make, bool* made) {
  const FileSystem* fs = x->hooks.fs;
  for (size_t i = from; i <= end; ++i) {
    if (i < end && x->path[i] != L'\\') continue;
    wchar_t saved = x->path[i];
    x->path[i] = 0;
    uint32_t r = make ? fs->create_folder(fs->ctx, x->path) : kErrAlreadyExists;
    *made = r == 0;
    if (r == 0) {
      if (!x->created->add(x->path)) r = kErrNotEnoughMemory;
    } else if (r == kErrAlreadyExists) {
      uint32_t a = fs->attributes(fs->ctx, x->path);
      r = 0;
      if (a == kFsNoFile || !(a & kFsDirectory)) r = kErrPathNotFound;
      if (a != kFsNoFile && (a & kFsReparsePoint)) r = kErrReparsePoint;
    }
    x->path[i] = saved;
    if (r) return r;
  }
  return 0;
}

// Whether x->path up to `end` is the folder last found sound.
bool is_checked(const Extraction* x, size_t end) {
  size_t i = 0;
  for (; i < end; ++i) {
    if (x->checked[i] != x->path[i]) return false;
  }
  return x->checked[i] == 0;
}

// Start of the first folder below the base that still needs a look: the
// folders up to the last one found sound are skipped.
size_t first_unchecked(const Extraction* x, size_t base_len, size_t end) {
  size_t n = wlen(x->checked);
  if (n < base_len || n > end || (n < end && x->path[n] != L'\\')) return base_len;
  for (size_t i = 0; i < n; ++i) {
    if (x->path[i] != x->checked[i]) return base_len;
  }
  return n < end ? n + 1 : end;
}

// Whether this run created the folder x->path up to `end`.
bool made_by_run(const Extraction* x, size_t end) {
  for (size_t k = x->created->count(); k-- > 0;) {
    const wchar_t* c = x->created->at(k);
    size_t i = 0;
    while (i < end && c[i] == x->path[i]) ++i;
    if (i == end && c[i] == 0) return true;
  }
  return false;
}

// Makes sure the folder x->path[0, end) is sound before anything goes into
// it (its folders below the base real ones, not links, created first when
// `make`; where it really is below the root), once: the next records in the
// same folder need no look. Learns whether this run created it.
uint32_t settle_folder(Extraction* x, size_t base_len, size_t end, bool make) {
  if (is_checked(x, end)) return 0;
  bool made = false;
  if (end >= base_len) {
    if (uint32_t r = walk_folders(x, first_unchecked(x, base_len, end), end, make, &made)) return r;
    wchar_t saved = x->path[end];
    x->path[end] = 0;
    uint32_t r = check_final(x, x->path);
    x->path[end] = saved;
    if (r) return r;
  }
  if (!made) made = made_by_run(x, end);
  for (size_t i = 0; i < end; ++i) x->checked[i] = x->path[i];
  x->checked[end] = 0;
  x->checked_made = made;
  return 0;
}

// A folder record whose checksum was sound.
void folder_record(Extraction* x, const EntryHead& head) {
  if (!x->writing) return;
  size_t end = wlen(x->path);
  while (end > x->base_len && x->path[end - 1] == L'\\') x->path[--end] = 0;
  if (uint32_t r = settle_folder(x, x->base_len, end, true)) {
    note_failure(x, r);
    return;
  }
  // Attributes only for a folder this run made, and only when they say
  // more than a new folder has.
  if (x->checked_made && (head.attributes & kSettable)) {
    x->hooks.fs->set_attributes(x->hooks.fs->ctx, x->path, settable_attributes(head.attributes));
  }
}

// x->temp := the folder of x->path + a name of this run's own.
bool temp_name(Extraction* x, uint32_t attempt) {
  wcopy(x->temp, kPathChars, x->path);
  size_t cut = wlen(x->temp);
  while (cut && x->temp[cut - 1] != L'\\') --cut;
  x->temp[cut] = 0;
  wchar_t tail[] = L"~tarnwick0000.tmp";
  for (int k = 0; k < 4; ++k) tail[12 - k] = L"0123456789ABCDEF"[(attempt >> (4 * k)) & 15];
  return wappend(x->temp, kPathChars, tail);
}

// Creates the file under a temporary name beside x->path (x->temp).
uint32_t open_temp(Extraction* x, uint32_t attributes, uint64_t size) {
  const FileSystem* fs = x->hooks.fs;
  uint32_t r = kErrFileExists;
  for (uint32_t attempt = 0; attempt < 0x10000 && (r == kErrFileExists || r == kErrAlreadyExists);
       ++attempt) {
    if (!temp_name(x, attempt)) return kErrNameTooLong;
    r = fs->create_file(fs->ctx, x->temp, attributes, size, &x->file);
  }
  if (r) x->file = nullptr;
  return r;
}

// Whether an existing file gets the record's data.
bool overwrite(Extraction* x, uint8_t kind) {
  if (kind == kKindHelper) return true;  // the stub's own helper, always fresh
  switch (x->overwrite_mode) {
    case 1:
      return true;
    case 2:
      return false;
    default:
      return x->hooks.ask_overwrite(x->hooks.ctx, x->path);
  }
}

// Opens the file the record's data goes to (x->file), or none when an
// existing file is kept. In a folder this run created a new file is
// created under its name at once; otherwise, and for an existing file,
// under a temporary name (*pending) that is put in place at the end.
uint32_t open_file(Extraction* x, const EntryHead& head, size_t base_len, uint32_t* existing, bool* pending) {
  const FileSystem* fs = x->hooks.fs;
  size_t parent = wlen(x->path);
  while (parent && x->path[parent - 1] != L'\\') --parent;
  if (uint32_t r = settle_folder(x, base_len, parent ? parent - 1 : 0, false)) return r;
  uint32_t attributes = settable_attributes(head.attributes);
  uint64_t size = uint64_t(head.size);
  uint32_t r = kErrFileExists;
  if (x->checked_made) {
    r = fs->create_file(fs->ctx, x->path, attributes, size, &x->file);
    if (r == 0) return 0;
    x->file = nullptr;
    if (r != kErrFileExists && r != kErrAlreadyExists && r != kErrAccessDenied) return r;
  }
  *existing = fs->attributes(fs->ctx, x->path);
  if (*existing == kFsNoFile) {
    if (x->checked_made) return r;
  } else {
    if (*existing & kFsReparsePoint) return kErrReparsePoint;
    if (*existing & kFsDirectory) return kErrAccessDenied;
    if (!overwrite(x, head.kind)) return 0;
    // Some links show no reparse attribute: where the file really is
    // tells.
    if (uint32_t q = check_final(x, x->path)) return q;
  }
  *pending = true;
  return open_temp(x, attributes, size);
}

// The written file gets its time and is closed; it is in place, or waits
// for the end.
uint32_t complete_file(Extraction* x, const EntryHead& head, uint32_t existing, bool pending) {
  const FileSystem* fs = x->hooks.fs;
  fs->set_time(fs->ctx, x->file, head.dos_time);
  fs->close(fs->ctx, x->file);
  x->file = nullptr;
  // (finals before temps: the lists stay in step when memory runs out)
  bool listed = pending ? x->finals.add(x->path, head.kind) && x->temps.add(x->temp, existing)
                        : x->extracted->add(x->path);
  if (listed) return 0;
  discard(x, pending ? x->temp : x->path);
  return kErrNotEnoughMemory;
}

// ------------------------------------------------------ writing half

// path := base + name, with "/" read as "\".
bool compose_path(Extraction* x, const wchar_t* base, const wchar_t* name) {
  wcopy(x->path, kPathChars, base);
  x->base_len = wlen(x->path);
  if (!wappend(x->path, kPathChars, name)) return false;
  for (wchar_t* p = x->path + x->base_len; *p; ++p) {
    if (*p == L'/') *p = L'\\';
  }
  return true;
}

// A record begins: its path, and for a file the file its data goes to.
void begin_record(void* ctx, const EntryHead& head, const wchar_t* name, uint32_t) {
  Extraction* x = static_cast<Extraction*>(ctx);
  x->head = head;
  x->base_len = 0;
  x->existing = kFsNoFile;
  x->pending = false;
  x->file = nullptr;
  x->write_error = 0;
  if (!x->writing) return;
  const wchar_t* base = head.kind == kKindHelper ? x->temp_folder : x->folder;
  load_root(x, base);
  if (!compose_path(x, base, name)) note_failure(x, kErrNameTooLong);
  if (is_directory(head) || !x->writing) return;
  if (head.kind == kKindRunFile) wcopy(x->run_path, kPathChars, x->path);
  if (uint32_t r = open_file(x, head, x->base_len, &x->existing, &x->pending)) note_failure(x, r);
}

// Raw bytes go to the file being written; a failure of the write ends the
// writing of it, not the checking.
void write_data(void* ctx, const unsigned char* p, uint32_t n) {
  Extraction* x = static_cast<Extraction*>(ctx);
  if (x->file && !x->write_error) x->write_error = x->hooks.fs->write(x->hooks.fs->ctx, x->file, p, n);
  x->done += n;
  if (x->hooks.progress) x->hooks.progress(x->hooks.ctx, x->done);
}

void end_record(void* ctx, uint32_t code) {
  Extraction* x = static_cast<Extraction*>(ctx);
  if (is_directory(x->head)) {
    if (!code) folder_record(x, x->head);
    return;
  }
  if (!x->file) return;
  if (!code && !x->write_error) {
    if (uint32_t q = complete_file(x, x->head, x->existing, x->pending)) note_failure(x, q);
    return;
  }
  // Unfinished: the partial file goes, an existing file stays as it was.
  const FileSystem* fs = x->hooks.fs;
  fs->close(fs->ctx, x->file);
  x->file = nullptr;
  discard(x, x->pending ? x->temp : x->path);
  if (!code) note_failure(x, x->write_error);
}

// The files that waited under a temporary name take their final names, in
// record order. A failure keeps the old file (and its attributes) and is
// reported; the others still go in place.
void put_in_place(Extraction* x) {
  const FileSystem* fs = x->hooks.fs;
  for (size_t i = 0; i < x->temps.count(); ++i) {
    const wchar_t* temp = x->temps.at(i);
    const wchar_t* final_name = x->finals.at(i);
    uint32_t existing = x->temps.value(i);
    uint32_t r;
    if (existing == kFsNoFile) {
      r = fs->rename(fs->ctx, temp, final_name, false);
    } else {
      fs->set_attributes(fs->ctx, final_name, kAttrNormal);  // a read-only file is replaced as well
      r = fs->rename(fs->ctx, temp, final_name, true);
      if (r) fs->set_attributes(fs->ctx, final_name, existing);
    }
    if (r) {
      discard(x, temp);
      note_failure_at(x, r, final_name);
    } else if (x->finals.value(i) == kKindHelper) {
      wcopy(x->helper_path, kPathChars, final_name);
    } else if (existing == kFsNoFile && !x->extracted->add(final_name)) {
      note_failure_at(x, kErrNotEnoughMemory, final_name);
    }
  }
}

// Damage: every file and folder this run made goes again.
void remove_all(Extraction* x) {
  const FileSystem* fs = x->hooks.fs;
  for (size_t i = 0; i < x->temps.count(); ++i) discard(x, x->temps.at(i));
  for (size_t i = 0; i < x->extracted->count(); ++i) discard(x, x->extracted->at(i));
  for (size_t i = x->created->count(); i-- > 0;) fs->remove_folder(fs->ctx, x->created->at(i));
  x->extracted->clear();
  x->created->clear();
  x->helper_path[0] = 0;
}

}  // namespace

// Every record once, checked and handed on.
uint32_t read_records(Extraction* x, const RecordSink& sink) {
  x->pos = x->first_record;
  for (uint32_t index = 0;; ++index) {
    unsigned char raw[kEntryHeadSize];
    if (!read_next(x, raw, kEntryHeadSize)) return kCodeDamaged;
    EntryHead head;
    decode_entry_head(raw, &head);
    if (is_terminator(head)) return 0;
    if (head.size < 0 || head.name_length > kNameMax) return kCodeDamaged;
    if (!read_next(x, x->name, head.name_length)) return kCodeDamaged;
    bool directory = is_directory(head);
    int n;
    if (!decode_entry_name(x->hooks, x->name, head.name_length, directory, x->wide, &n)) return kCodeDamaged;
    if (head.kind == kKindHelper && !helper_allowed(x, head, index)) return kCodeDamaged;
    uint32_t sum = byte_sum(0, x->name, head.name_length);
    sink.begin(sink.ctx, head, x->wide, uint32_t(n));
    uint32_t r = directory ? 0 : copy_data(x, sink, uint64_t(head.size), &sum);
    if (!r) r = read_checksum(x, sum);
    sink.end(sink.ctx, r);
    if (r) return r;
  }
}

bool decode_entry_name(const PassHooks& hooks, const unsigned char* name, uint32_t length, bool directory,
                       wchar_t* out, int* n) {
  int k = 0;
  if (length) {
    k = hooks.decode(hooks.ctx, name, length, out, kNameMax);
    if (k <= 0) return false;
  }
  out[k] = 0;
  *n = k;
  return is_safe_entry_name(out, size_t(k), directory);
}

uint32_t run_extraction(Extraction* x) {
  x->done = 0;
  x->fail_path = nullptr;
  x->root_for = nullptr;
  x->checked[0] = 0;
  x->writing = true;
  x->fs_error = 0;
  x->file = nullptr;
  RecordSink writer = {x, begin_record, write_data, end_record};
  uint32_t r = x->carrier ? x->carrier->run(x->carrier->ctx, x, writer) : read_records(x, writer);
  if (r) {
    remove_all(x);
  } else {
    put_in_place(x);
    r = x->fs_error;
    if (r) x->fail_path = x->failed_at;
  }
  x->temps.clear();
  x->finals.clear();
  return r;
}

}  // namespace tw
