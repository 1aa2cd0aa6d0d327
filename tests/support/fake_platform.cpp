#include "fake_platform.h"

#include <algorithm>

#include "../../platform/posix/iconv_codec.h"

using tw::EntryType;
using tw::SysResult;

namespace {

std::wstring strip(std::wstring p) {
  while (p.size() > 1 && p.back() == L'/') p.pop_back();
  return p;
}

SysResult fail(SysResult::Kind kind, uint32_t code) { return SysResult::failed(kind, code); }

class Input : public tw::InputFile {
 public:
  Input(const FakePlatform::Node& n) : node_(n), size_(n.data.size()) {}
  uint64_t size() const override { return size_; }
  SysResult read(void* buf, size_t n, size_t* got) override {
    if (node_.read_error) return fail(SysResult::kFailed, node_.read_error);
    *got = std::min(n, node_.data.size() - std::min(at_, node_.data.size()));
    node_.data.copy(static_cast<char*>(buf), *got, at_);
    at_ += *got;
    return SysResult::done();
  }
  tw::FileIdentity identity() override { return {1, node_.index, L""}; }

 private:
  const FakePlatform::Node& node_;  // read as it is now: a file may change
  size_t size_, at_ = 0;
};

class Output : public tw::OutputFile {
 public:
  Output(FakePlatform& fs, std::wstring path) : fs_(fs), path_(std::move(path)) {}
  ~Output() override {
    if (!committed_) fs_.nodes.erase(path_);
  }
  SysResult write(const void* data, size_t n) override {
    size_t fits = size_t(std::min<uint64_t>(n, fs_.space));
    fs_.nodes[path_].data.append(static_cast<const char*>(data), fits);
    fs_.space -= fits;
    return fits < n ? fail(SysResult::kFailed, 112) : SysResult::done();
  }
  SysResult flush() override { return SysResult::done(); }
  SysResult commit(const std::wstring& target) override {
    if (fs_.rename_error) return fail(SysResult::kFailed, fs_.rename_error);
    FakePlatform::Node node = fs_.nodes[path_];
    node.in_use = false;
    fs_.nodes.erase(path_);
    fs_.nodes[target] = node;
    committed_ = true;
    return SysResult::done();
  }

 private:
  FakePlatform& fs_;
  std::wstring path_;
  bool committed_ = false;
};

class View : public tw::FileView {
 public:
  explicit View(std::string d) : data_(std::move(d)) {}
  const uint8_t* data() const override { return reinterpret_cast<const uint8_t*>(data_.data()); }
  size_t size() const override { return data_.size(); }

 private:
  std::string data_;
};

}  // namespace

FakePlatform::Node& FakePlatform::add(const std::wstring& path, EntryType type,
                                      const std::string& data) {
  Node& n = nodes[path];
  n.type = type;
  n.data = data;
  n.attributes = type == EntryType::kFolder ? 0x10 : 0x20;
  n.index = next_index_++;
  return n;
}

std::map<std::wstring, std::string> FakePlatform::files_in(const std::wstring& folder) const {
  std::map<std::wstring, std::string> out;
  std::wstring prefix = strip(folder) + L"/";
  for (const auto& n : nodes)
    if (n.first.compare(0, prefix.size(), prefix) == 0 &&
        n.first.find(L'/', prefix.size()) == std::wstring::npos)
      out[n.first] = n.second.data;
  return out;
}

FakePlatform::Node* FakePlatform::find(const std::wstring& path) {
  auto it = nodes.find(strip(path));
  return it == nodes.end() ? nullptr : &it->second;
}

std::wstring FakePlatform::full_path(const std::wstring& path) {
  return path.empty() || path[0] == L'/' ? path : L"/cwd/" + path;
}

tw::PathType FakePlatform::path_type(const std::wstring& path) {
  Node* n = find(path);
  if (!n) return tw::PathType::kNone;
  return n->type == EntryType::kFolder ? tw::PathType::kFolder : tw::PathType::kFile;
}

void FakePlatform::create_folders(const std::wstring& folder) {
  std::wstring f = strip(folder);
  for (size_t at = 1; at <= f.size(); ++at)
    if ((at == f.size() || f[at] == L'/') && !find(f.substr(0, at))) add_folder(f.substr(0, at));
}

SysResult FakePlatform::list_folder(const std::wstring& folder,
                                    std::vector<tw::FolderEntry>* entries) {
  Node* dir = find(folder);
  if (!dir || dir->type != EntryType::kFolder) return fail(SysResult::kNotFound, 3);
  if (dir->open_error) return fail(SysResult::kFailed, dir->open_error);
  std::map<std::wstring, std::string> children = files_in(folder);
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    const Node& n = nodes[it->first];
    tw::FolderEntry e;
    e.name = it->first.substr(it->first.rfind(L'/') + 1);
    e.type = n.type;
    e.attributes = n.attributes;
    e.dos_time = n.dos_time;
    e.size = n.type == EntryType::kFolder ? 0 : n.data.size();
    entries->push_back(e);
  }
  return SysResult::done();
}

SysResult FakePlatform::open_input(const std::wstring& path, std::unique_ptr<tw::InputFile>* file) {
  Node* n = find(path);
  if (!n || n->type != EntryType::kFile) return fail(SysResult::kNotFound, 2);
  if (n->open_error) return fail(SysResult::kFailed, n->open_error);
  *file = std::make_unique<Input>(*n);
  return SysResult::done();
}

std::unique_ptr<tw::FileView> FakePlatform::view_file(const std::wstring& path) {
  Node* n = find(path);
  if (!n || n->data.empty()) return nullptr;
  return std::make_unique<View>(n->data);
}

SysResult FakePlatform::identity_of(const std::wstring& path, tw::FileIdentity* id) {
  Node* n = find(path);
  if (!n) return fail(SysResult::kNotFound, 2);
  *id = {1, n->index, L""};
  return SysResult::done();
}

SysResult FakePlatform::check_replaceable(const std::wstring& target) {
  Node* n = find(target);
  if (!n) return fail(SysResult::kNotFound, 2);
  if (n->type != EntryType::kFile || (n->attributes & tw::kFileReadOnly))
    return fail(SysResult::kFailed, 5);
  return SysResult::done();
}

SysResult FakePlatform::create_new(const std::wstring& path, std::unique_ptr<tw::OutputFile>* file) {
  if (find(path)) return fail(SysResult::kExists, 80);
  add_file(path, "").in_use = true;
  *file = std::make_unique<Output>(*this, path);
  return SysResult::done();
}

std::vector<std::wstring> FakePlatform::names_starting_with(const std::wstring& folder,
                                                            const std::wstring& prefix) {
  std::vector<std::wstring> names;
  for (const auto& f : files_in(folder)) {
    std::wstring name = f.first.substr(f.first.rfind(L'/') + 1);
    if (name.compare(0, prefix.size(), prefix) == 0) names.push_back(name);
  }
  return names;
}

void FakePlatform::remove_leftover(const std::wstring& folder, const std::wstring& name) {
  std::wstring path = strip(folder) + L"/" + name;
  Node* n = find(path);
  if (n && n->type == EntryType::kFile && !n->in_use && !(n->attributes & tw::kFileReadOnly))
    nodes.erase(path);
}

bool FakePlatform::has_code_page(uint32_t code_page) {
  return code_page == 65001 || tw::iconv_has_code_page(code_page);
}

bool FakePlatform::encode(uint32_t code_page, const std::wstring& text, std::string* out) {
  return tw::iconv_encode_exact(code_page, text, out);
}
