#include "fake_file_system.h"

#include <cstring>

namespace {

using Fake = FakeFileSystem;
struct OpenFile {
  std::wstring path;
};

Fake& self(void* ctx) { return *static_cast<Fake*>(ctx); }

std::wstring parent_of(const std::wstring& p) {
  size_t cut = p.rfind(L'\\');
  return cut == std::wstring::npos ? std::wstring() : p.substr(0, cut);
}

// The parent resolved, the last component as it is.
std::wstring place(const Fake& fs, const std::wstring& p) {
  size_t cut = p.rfind(L'\\');
  if (cut == std::wstring::npos) return p;
  return fs.resolve(p.substr(0, cut)) + p.substr(cut);
}

const Fake::Node* find(const Fake& fs, const std::wstring& p) {
  auto it = fs.nodes.find(p);
  return it == fs.nodes.end() ? nullptr : &it->second;
}

bool parent_is_folder(const Fake& fs, const std::wstring& placed) {
  const Fake::Node* parent = find(fs, parent_of(placed));
  return parent && parent->folder;
}

uint32_t attributes(void* ctx, const wchar_t* path) {
  Fake& fs = self(ctx);
  std::wstring placed = place(fs, path);
  const Fake::Node* n = find(fs, placed);
  if (!n) return tw::kFsNoFile;
  if (n->link.empty()) return n->folder ? tw::kFsDirectory | n->attributes : n->attributes;
  const Fake::Node* target = find(fs, fs.resolve(placed));
  if (!target) return tw::kFsNoFile;
  return target->folder ? tw::kFsDirectory | tw::kFsReparsePoint : target->attributes;
}

uint32_t create_folder(void* ctx, const wchar_t* path) {
  Fake& fs = self(ctx);
  std::wstring placed = place(fs, path);
  if (find(fs, placed)) return tw::kErrAlreadyExists;
  if (!parent_is_folder(fs, placed)) return tw::kErrPathNotFound;
  fs.nodes[placed].folder = true;
  return 0;
}

uint32_t create_file(void* ctx, const wchar_t* path, uint32_t attributes, uint64_t, tw::FsFile* file) {
  Fake& fs = self(ctx);
  std::wstring placed = place(fs, path);
  if (find(fs, placed)) return tw::kErrFileExists;
  if (!parent_is_folder(fs, placed)) return tw::kErrPathNotFound;
  fs.nodes[placed] = Fake::Node();
  fs.nodes[placed].attributes = attributes;
  *file = new OpenFile{placed};
  ++fs.open_files;
  return 0;
}

uint32_t write(void* ctx, tw::FsFile file, const void* data, uint32_t n) {
  Fake& fs = self(ctx);
  uint64_t put = n < fs.space ? n : fs.space;
  fs.nodes[static_cast<OpenFile*>(file)->path].data.append(static_cast<const char*>(data), size_t(put));
  fs.space -= put;
  return put == n ? 0 : tw::kErrDiskFull;
}

void set_time(void* ctx, tw::FsFile file, uint32_t dos_time) {
  self(ctx).nodes[static_cast<OpenFile*>(file)->path].dos_time = dos_time;
}

uint32_t copy_out(const std::wstring& s, wchar_t* out, uint32_t cap) {
  if (s.size() >= cap) return tw::kErrNameTooLong;
  std::memcpy(out, s.c_str(), (s.size() + 1) * sizeof(wchar_t));
  return 0;
}

uint32_t final_path(void* ctx, const wchar_t* path, wchar_t* out, uint32_t cap) {
  Fake& fs = self(ctx);
  std::wstring real = fs.resolve(path);
  if (!find(fs, real)) return tw::kErrFileNotFound;
  return copy_out(real, out, cap);
}

void close(void* ctx, tw::FsFile file) {
  delete static_cast<OpenFile*>(file);
  --self(ctx).open_files;
}

uint32_t rename(void* ctx, const wchar_t* from, const wchar_t* to, bool replace) {
  Fake& fs = self(ctx);
  std::wstring a = place(fs, from), b = place(fs, to);
  const Fake::Node* old = find(fs, b);
  if (old && !replace) return tw::kErrAlreadyExists;
  if (fs.refuse_rename || !find(fs, a) || (old && (old->attributes & 1))) return tw::kErrAccessDenied;
  fs.nodes[b] = fs.nodes[a];
  fs.nodes.erase(a);
  return 0;
}

uint32_t remove_file(void* ctx, const wchar_t* path) {
  Fake& fs = self(ctx);
  const Fake::Node* n = find(fs, place(fs, path));
  if (n && (n->attributes & 1)) return tw::kErrAccessDenied;  // read-only, as on Windows
  return fs.nodes.erase(place(fs, path)) ? 0 : tw::kErrFileNotFound;
}

uint32_t remove_folder(void* ctx, const wchar_t* path) {
  Fake& fs = self(ctx);
  std::wstring placed = place(fs, path);
  auto it = fs.nodes.find(placed);
  if (it == fs.nodes.end() || !it->second.folder) return tw::kErrPathNotFound;
  std::wstring inside = placed + L"\\";
  auto child = fs.nodes.lower_bound(inside);
  if (child != fs.nodes.end() && child->first.compare(0, inside.size(), inside) == 0) {
    return tw::kErrAccessDenied;  // not empty
  }
  fs.nodes.erase(it);
  return 0;
}

uint32_t set_attributes(void* ctx, const wchar_t* path, uint32_t a) {
  Fake& fs = self(ctx);
  auto it = fs.nodes.find(fs.resolve(path));
  if (it == fs.nodes.end()) return tw::kErrFileNotFound;
  it->second.attributes = a;
  return 0;
}

}  // namespace

FakeFileSystem::FakeFileSystem()
    : table_{this,  attributes, create_folder, create_file,   write,         set_time,
             close, final_path, rename,        remove_file,   remove_folder, set_attributes} {}

std::wstring FakeFileSystem::resolve(const std::wstring& given) const {
  std::wstring path = given;
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  std::wstring done;
  size_t start = 0;
  int hops = 0;
  while (start <= path.size()) {
    size_t end = path.find(L'\\', start);
    if (end == std::wstring::npos) end = path.size();
    done += (done.empty() && start == 0 ? L"" : L"\\") + path.substr(start, end - start);
    const Node* n = find(*this, done);
    if (n && !n->link.empty()) {
      if (++hops > 40) return std::wstring();
      done = n->link;
    }
    start = end + 1;
  }
  return done;
}
