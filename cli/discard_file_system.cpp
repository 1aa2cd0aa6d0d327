#include "discard_file_system.h"

namespace tw::cli {

const wchar_t kDiscardRoot[] = L"<discard>\\";

namespace {

// The one open file of the discarding table.
char g_nowhere;
FsFile const kNowhere = &g_nowhere;

DiscardFileSystem& discard(void* ctx) { return *static_cast<DiscardFileSystem*>(ctx); }

uint32_t d_attributes(void* ctx, const wchar_t* path) {
  return discard(ctx).folders.count(path) ? kFsDirectory : kFsNoFile;
}
uint32_t d_create_folder(void* ctx, const wchar_t* path) { return discard(ctx).folders.insert(path).second ? 0 : 183; }
uint32_t d_create_file(void*, const wchar_t*, uint32_t, uint64_t, FsFile* file) {
  *file = kNowhere;
  return 0;
}
uint32_t d_write(void*, FsFile, const void*, uint32_t) { return 0; }
void d_set_time(void*, FsFile, uint32_t) {}
void d_close(void*, FsFile) {}
// An empty final path: the pass then relies on its attribute checks alone.
uint32_t d_final_path(void*, const wchar_t*, wchar_t* out, uint32_t) {
  out[0] = 0;
  return 0;
}
uint32_t d_rename(void*, const wchar_t*, const wchar_t*, bool) { return 0; }
uint32_t d_remove_file(void*, const wchar_t*) { return 0; }
uint32_t d_remove_folder(void* ctx, const wchar_t* path) { return discard(ctx).folders.erase(path) ? 0 : 2; }
uint32_t d_set_attributes(void*, const wchar_t*, uint32_t) { return 0; }

bool discarded(const wchar_t* path) {
  for (size_t i = 0; kDiscardRoot[i]; ++i)
    if (path[i] != kDiscardRoot[i]) return false;
  return true;
}

RoutedFileSystem& routed(void* ctx) { return *static_cast<RoutedFileSystem*>(ctx); }

// The table a path or an open file belongs to.
const FileSystem* of(void* ctx, const wchar_t* path) {
  return discarded(path) ? routed(ctx).nowhere.table() : routed(ctx).real;
}
const FileSystem* of(void* ctx, FsFile file) {
  return file == kNowhere ? routed(ctx).nowhere.table() : routed(ctx).real;
}

uint32_t r_attributes(void* ctx, const wchar_t* p) { return of(ctx, p)->attributes(of(ctx, p)->ctx, p); }
uint32_t r_create_folder(void* ctx, const wchar_t* p) { return of(ctx, p)->create_folder(of(ctx, p)->ctx, p); }
uint32_t r_create_file(void* ctx, const wchar_t* p, uint32_t a, uint64_t size, FsFile* f) {
  return of(ctx, p)->create_file(of(ctx, p)->ctx, p, a, size, f);
}
uint32_t r_write(void* ctx, FsFile f, const void* d, uint32_t n) { return of(ctx, f)->write(of(ctx, f)->ctx, f, d, n); }
void r_set_time(void* ctx, FsFile f, uint32_t t) { of(ctx, f)->set_time(of(ctx, f)->ctx, f, t); }
void r_close(void* ctx, FsFile f) {
  if (f != kNowhere) ++routed(ctx).real_files_closed;
  of(ctx, f)->close(of(ctx, f)->ctx, f);
}
uint32_t r_final_path(void* ctx, const wchar_t* p, wchar_t* out, uint32_t cap) {
  return of(ctx, p)->final_path(of(ctx, p)->ctx, p, out, cap);
}
uint32_t r_rename(void* ctx, const wchar_t* from, const wchar_t* to, bool replace) {
  return of(ctx, to)->rename(of(ctx, to)->ctx, from, to, replace);
}
uint32_t r_remove_file(void* ctx, const wchar_t* p) { return of(ctx, p)->remove_file(of(ctx, p)->ctx, p); }
uint32_t r_remove_folder(void* ctx, const wchar_t* p) { return of(ctx, p)->remove_folder(of(ctx, p)->ctx, p); }
uint32_t r_set_attributes(void* ctx, const wchar_t* p, uint32_t a) {
  return of(ctx, p)->set_attributes(of(ctx, p)->ctx, p, a);
}

}  // namespace

DiscardFileSystem::DiscardFileSystem()
    : table_{this,    d_attributes,   d_create_folder, d_create_file,   d_write,         d_set_time,
             d_close, d_final_path,   d_rename,        d_remove_file,   d_remove_folder, d_set_attributes} {}

RoutedFileSystem::RoutedFileSystem(const FileSystem* real_table)
    : real(real_table),
      table_{this,    r_attributes, r_create_folder, r_create_file, r_write,         r_set_time,
             r_close, r_final_path, r_rename,        r_remove_file, r_remove_folder, r_set_attributes} {}

}  // namespace tw::cli
