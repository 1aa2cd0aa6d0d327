#include "extract_pass.h"

#include <string.h>

#include "byte_sum.h"
#include "entry_name.h"
#include "inflate.h"
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

uint32_t damaged(Extraction* x, uint32_t code) {
  x->fail_path = nullptr;
  return code;
}

uint32_t failed(Extraction* x, const wchar_t* path, uint32_t code) {
  x->fail_path = path;
  return code;
}

bool read_next(Extraction* x, void* buf, uint32_t n) {
  if (n > x->src.size || x->pos > x->src.size - n) return false;
  if (!x->src.read_at(x->src.ctx, x->pos, buf, n)) return false;
  x->pos += n;
  return true;
}

// The verify pass keeps the first inflated chunks, as many as the cache
// holds, for the write pass (which then need not inflate them again).
void keep(Extraction* x, uint32_t n) {
  if (x->cache_closed || n > x->cache_size - x->cache_filled) {
    x->cache_closed = true;  // only a run of chunks from the start
    return;
  }
  memcpy(x->cache + x->cache_filled, x->block, n);
  x->cache_filled += n;
}

// Reads, inflates and sums the chunks of one file of `size` bytes; hands
// each block to `out` when a file is open.
uint32_t copy_data(Extraction* x, uint64_t size, uint32_t* sum, FsFile out) {
  uint64_t handled = 0;
  while (handled < size) {
    const unsigned char* block;
    uint32_t n;
    if (x->compressed) {
      unsigned char lengths[8];
      if (!read_next(x, lengths, 8)) return damaged(x, kCodeChecksum);
      n = get_u32le(lengths);
      uint32_t stream = get_u32le(lengths + 4);
      if (stream > kChunkCompressedMax) return damaged(x, kCodeChunkTooLarge);
      if (!raw_length_fits(n, size - handled)) return damaged(x, kCodeChecksum);
      if (x->writing && n <= x->cache_filled - x->cache_used) {
        // Inflated by the verify pass already: the stream is skipped.
        if (stream > x->src.size || x->pos > x->src.size - stream) return damaged(x, kCodeChecksum);
        x->pos += stream;
        block = x->cache + x->cache_used;
        x->cache_used += n;
      } else {
        if (!read_next(x, x->data, stream)) return damaged(x, kCodeChecksum);
        if (!inflate_zlib(x->data, stream, x->block, n)) return damaged(x, kCodeInflate);
        block = x->block;
        if (!x->writing) keep(x, n);
      }
    } else {
      uint64_t left = size - handled;
      n = left < kChunkCompressedMax ? uint32_t(left) : kChunkCompressedMax;
      if (!read_next(x, x->data, n)) return damaged(x, kCodeChecksum);
      block = x->data;
    }
    if (out) {
      if (uint32_t r = x->hooks.fs->write(x->hooks.fs->ctx, out, block, n)) return failed(x, x->path, r);
    }
    *sum = byte_sum(*sum, block, n);
    handled += n;
    x->done += n;
    if (x->hooks.progress) x->hooks.progress(x->hooks.ctx, x->done);
  }
  return 0;
}

uint32_t read_checksum(Extraction* x, uint32_t computed) {
  unsigned char stored[4];
  if (!read_next(x, stored, 4) || get_u32le(stored) != computed) return damaged(x, kCodeChecksum);
  return 0;
}

// The helper is only ever the first record, under its one name, and only
// when the header asks for self-deletion.
bool helper_allowed(const Extraction* x, const EntryHead& head, uint32_t index) {
  return index == 0 && x->self_delete && !is_directory(head) && head.name_length == sizeof kHelperName - 1 &&
         memcmp(x->name, kHelperName, sizeof kHelperName - 1) == 0;
}

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
  if (fs->folder_final_path(fs->ctx, base, x->root_final, kPathChars)) x->root_final[0] = 0;
}

// x->final_path (just filled by the file system) must lie below the root.
// Without a final path of the root the system cannot tell, and the
// attribute checks stand alone.
uint32_t check_final(Extraction* x, uint32_t query_error) {
  if (!x->root_final[0]) return 0;
  if (query_error) return query_error;
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
    uint32_t a = kFsDirectory;
    if (r == 0) {
      if (!x->created->add(x->path)) r = kErrNotEnoughMemory;
    } else if (r == kErrAlreadyExists) {
      a = fs->attributes(fs->ctx, x->path);
      r = 0;
      if (a == kFsNoFile || !(a & kFsDirectory)) r = kErrPathNotFound;
      if (a != kFsNoFile && (a & kFsReparsePoint)) r = kErrReparsePoint;
    }
    x->path[i] = saved;
    if (r) return r;
  }
  return 0;
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

void remember_checked(Extraction* x, size_t end) {
  if (end >= kPathChars) return;
  for (size_t i = 0; i < end; ++i) x->checked[i] = x->path[i];
  x->checked[end] = 0;
}

uint32_t folder_record(Extraction* x, const EntryHead& head, uint32_t sum, bool write, size_t base_len) {
  if (uint32_t r = read_checksum(x, sum)) return r;
  if (!write) return 0;
  size_t end = wlen(x->path);
  while (end > base_len && x->path[end - 1] == L'\\') x->path[--end] = 0;
  bool made = false;
  uint32_t r = walk_folders(x, first_unchecked(x, base_len, end), end, true, &made);
  if (r) return failed(x, x->path, r);
  remember_checked(x, end);
  // Attributes only for a folder this run made.
  if (made) x->hooks.fs->set_attributes(x->hooks.fs->ctx, x->path, settable_attributes(head.attributes));
  return 0;
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

// An opened file must really lie below the root; otherwise it goes again.
uint32_t check_opened(Extraction* x, const wchar_t* name, FsFile* out) {
  const FileSystem* fs = x->hooks.fs;
  uint32_t r = check_final(x, fs->final_path(fs->ctx, *out, x->final_path, kPathChars));
  if (r) {
    fs->close(fs->ctx, *out);
    fs->remove_file(fs->ctx, name);
    *out = nullptr;
  }
  return r;
}

// Creates a temporary file beside x->path (x->temp names it).
uint32_t open_temp(Extraction* x, FsFile* out) {
  const FileSystem* fs = x->hooks.fs;
  uint32_t r = kErrFileExists;
  for (uint32_t attempt = 0; attempt < 0x10000 && (r == kErrFileExists || r == kErrAlreadyExists);
       ++attempt) {
    if (!temp_name(x, attempt)) return kErrNameTooLong;
    r = fs->create_file(fs->ctx, x->temp, out);
  }
  if (r) {
    *out = nullptr;
    return r;
  }
  return check_opened(x, x->temp, out);
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

// Looks at the place of a file before anything is written: its folders
// must be real ones. A new file is created at once under its name (one
// look-up of the name); only when the name is taken is the existing file
// looked at: it must be a plain file.
uint32_t open_or_inspect(Extraction* x, size_t base_len, FsFile* out, uint32_t* existing) {
  const FileSystem* fs = x->hooks.fs;
  size_t parent = wlen(x->path);
  while (parent > base_len && x->path[parent - 1] != L'\\') --parent;
  if (parent > base_len) {
    --parent;  // the backslash
    bool made;
    size_t from = first_unchecked(x, base_len, parent);
    if (from < parent) {
      if (uint32_t r = walk_folders(x, from, parent, false, &made)) return r;
      remember_checked(x, parent);
    }
  }
  *existing = kFsNoFile;
  uint32_t r = fs->create_file(fs->ctx, x->path, out);
  if (r == 0) return check_opened(x, x->path, out);
  *out = nullptr;
  if (r != kErrFileExists && r != kErrAlreadyExists && r != kErrAccessDenied) return r;
  *existing = fs->attributes(fs->ctx, x->path);
  if (*existing == kFsNoFile) return r;
  if (*existing & kFsReparsePoint) return kErrReparsePoint;
  return (*existing & kFsDirectory) ? kErrAccessDenied : 0;
}

// The written file gets its time, replaces the old one when there was one,
// and gets the record's attributes.
uint32_t complete_file(Extraction* x, const EntryHead& head, FsFile* out, uint32_t existing) {
  const FileSystem* fs = x->hooks.fs;
  fs->set_time(fs->ctx, *out, head.dos_time);
  fs->close(fs->ctx, *out);
  *out = nullptr;
  if (existing != kFsNoFile) {
    fs->set_attributes(fs->ctx, x->path, kAttrNormal);  // a read-only file is replaced as well
    if (uint32_t r = fs->replace(fs->ctx, x->temp, x->path)) {
      fs->set_attributes(fs->ctx, x->path, existing);
      fs->remove_file(fs->ctx, x->temp);
      return r;
    }
  }
  fs->set_attributes(fs->ctx, x->path, settable_attributes(head.attributes));
  if (head.kind == kKindHelper) {
    wcopy(x->helper_path, kPathChars, x->path);
  } else if (existing == kFsNoFile && !x->extracted->add(x->path)) {
    return kErrNotEnoughMemory;
  }
  return 0;
}

uint32_t file_record(Extraction* x, const EntryHead& head, uint32_t sum, bool write, size_t base_len) {
  const FileSystem* fs = x->hooks.fs;
  FsFile out = nullptr;
  uint32_t existing = kFsNoFile;
  if (write) {
    if (head.kind == kKindRunFile) wcopy(x->run_path, kPathChars, x->path);
    if (uint32_t r = open_or_inspect(x, base_len, &out, &existing)) return failed(x, x->path, r);
    if (existing != kFsNoFile && overwrite(x, head.kind)) {
      // Some links show no reparse attribute: where the file really is
      // tells.
      uint32_t r = check_final(x, fs->folder_final_path(fs->ctx, x->path, x->final_path, kPathChars));
      if (!r) r = open_temp(x, &out);
      if (r) return failed(x, x->path, r);
    }
  }
  uint32_t r = copy_data(x, uint64_t(head.size), &sum, out);
  if (!r) r = read_checksum(x, sum);
  if (!r && out) {
    r = complete_file(x, head, &out, existing);
    if (r) return failed(x, x->path, r);
  }
  if (out) {
    // Unfinished: the partial file goes, an old file stays as it was.
    fs->close(fs->ctx, out);
    fs->remove_file(fs->ctx, existing != kFsNoFile ? x->temp : x->path);
  }
  return r;
}

// path := base + name, with "/" read as "\".
uint32_t compose_path(Extraction* x, const wchar_t* base, size_t* base_len) {
  wcopy(x->path, kPathChars, base);
  *base_len = wlen(x->path);
  if (!wappend(x->path, kPathChars, x->wide)) return failed(x, x->path, kErrNameTooLong);
  for (wchar_t* p = x->path + *base_len; *p; ++p) {
    if (*p == L'/') *p = L'\\';
  }
  return 0;
}

// One pass over all records; writes only when `write` is set.
uint32_t walk(Extraction* x, bool write) {
  x->pos = x->first_record;
  x->writing = write;
  for (uint32_t index = 0;; ++index) {
    unsigned char raw[kEntryHeadSize];
    if (!read_next(x, raw, kEntryHeadSize)) return damaged(x, kCodeDamaged);
    EntryHead head;
    decode_entry_head(raw, &head);
    if (is_terminator(head)) return 0;
    if (head.size < 0 || head.name_length > kNameMax) return damaged(x, kCodeDamaged);
    if (!read_next(x, x->name, head.name_length)) return damaged(x, kCodeDamaged);
    bool directory = is_directory(head);
    int n;
    if (!decode_entry_name(x->hooks, x->name, head.name_length, directory, x->wide, &n)) {
      return damaged(x, kCodeDamaged);
    }
    if (head.kind == kKindHelper && !helper_allowed(x, head, index)) return damaged(x, kCodeDamaged);
    uint32_t sum = byte_sum(0, x->name, head.name_length);
    size_t base_len = 0;
    if (write) {
      const wchar_t* base = head.kind == kKindHelper ? x->temp_folder : x->folder;
      load_root(x, base);
      if (uint32_t r = compose_path(x, base, &base_len)) return r;
    }
    uint32_t r =
        directory ? folder_record(x, head, sum, write, base_len) : file_record(x, head, sum, write, base_len);
    if (r) return r;
  }
}

}  // namespace

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
  x->cache_filled = x->cache_used = 0;
  x->cache_closed = false;
  if (uint32_t r = walk(x, false)) return r;
  return walk(x, true);
}

}  // namespace tw
