#include "discard_file_system.h"

namespace tw::cli {

const wchar_t kDiscardRoot[] = L"<discard>\\";

namespace {

// The one open file of the discarding table.
char g_nowhere;
FsFile const kNowhere = &g_nowhere;

uint32_t no_attributes(void*, const wchar_t*) { return kFsNoFile; }
uint32_t made(void*, const wchar_t*) { return 0; }
uint32_t open_nowhere(void*, const wchar_t*, FsFile* file) {
  *file = kNowhere;
  return 0;
}
uint32_t taken(void*, FsFile, const void*, uint32_t) { return 0; }
void no_time(void*, FsFile, uint32_t) {}
// An empty final path: the pass then relies on its attribute checks alone.
uint32_t unknown_path(void*, FsFile, wchar_t* out, uint32_t) {
  out[0] = 0;
  return 0;
}
uint32_t unknown_folder_path(void*, const wchar_t*, wchar_t* out, uint32_t) {
  out[0] = 0;
  return 0;
}
void closed(void*, FsFile) {}
uint32_t renamed(void*, const wchar_t*, const wchar_t*) { return 0; }
uint32_t set(void*, const wchar_t*, uint32_t) { return 0; }

const FileSystem kDiscard = {nullptr, no_attributes, made,    open_nowhere, taken, no_time,
                             unknown_path, unknown_folder_path, closed, renamed, made, set};

bool discarded(const wchar_t* path) {
  for (size_t i = 0; kDiscardRoot[i]; ++i)
    if (path[i] != kDiscardRoot[i]) return false;
  return true;
}

const FileSystem* real(void* ctx) { return static_cast<RoutedFileSystem*>(ctx)->real(); }

// Each call goes to the discarding table for its paths and file, else to
// the real one.
uint32_t r_attributes(void* ctx, const wchar_t* p) {
  return discarded(p) ? kFsNoFile : real(ctx)->attributes(real(ctx)->ctx, p);
}
uint32_t r_create_folder(void* ctx, const wchar_t* p) {
  return discarded(p) ? 0 : real(ctx)->create_folder(real(ctx)->ctx, p);
}
uint32_t r_create_file(void* ctx, const wchar_t* p, FsFile* f) {
  return discarded(p) ? open_nowhere(nullptr, p, f) : real(ctx)->create_file(real(ctx)->ctx, p, f);
}
uint32_t r_write(void* ctx, FsFile f, const void* d, uint32_t n) {
  return f == kNowhere ? 0 : real(ctx)->write(real(ctx)->ctx, f, d, n);
}
void r_set_time(void* ctx, FsFile f, uint32_t t) {
  if (f != kNowhere) real(ctx)->set_time(real(ctx)->ctx, f, t);
}
uint32_t r_final_path(void* ctx, FsFile f, wchar_t* out, uint32_t cap) {
  return f == kNowhere ? unknown_path(nullptr, f, out, cap) : real(ctx)->final_path(real(ctx)->ctx, f, out, cap);
}
uint32_t r_folder_final_path(void* ctx, const wchar_t* p, wchar_t* out, uint32_t cap) {
  return discarded(p) ? unknown_folder_path(nullptr, p, out, cap)
                      : real(ctx)->folder_final_path(real(ctx)->ctx, p, out, cap);
}
void r_close(void* ctx, FsFile f) {
  if (f != kNowhere) real(ctx)->close(real(ctx)->ctx, f);
}
uint32_t r_replace(void* ctx, const wchar_t* from, const wchar_t* to) {
  return discarded(to) ? 0 : real(ctx)->replace(real(ctx)->ctx, from, to);
}
uint32_t r_remove_file(void* ctx, const wchar_t* p) {
  return discarded(p) ? 0 : real(ctx)->remove_file(real(ctx)->ctx, p);
}
uint32_t r_set_attributes(void* ctx, const wchar_t* p, uint32_t a) {
  return discarded(p) ? 0 : real(ctx)->set_attributes(real(ctx)->ctx, p, a);
}

}  // namespace

const FileSystem* discard_file_system() { return &kDiscard; }

RoutedFileSystem::RoutedFileSystem(const FileSystem* real)
    : real_(real),
      table_{this,         r_attributes,        r_create_folder, r_create_file, r_write,       r_set_time,
             r_final_path, r_folder_final_path, r_close,         r_replace,     r_remove_file, r_set_attributes} {}

}  // namespace tw::cli
