#include "record_pass.h"

#include <memory>
#include <vector>

#include "discard_file_system.h"
#include "extract_pass.h"
#include "record_walk.h"

namespace tw::cli {

namespace {

// The pass reads and inflates in pieces of this size, as the stub does.
const uint32_t kPiece = 1 << 20;

struct Context {
  const PassSetup* setup;
  PassHooks hooks;
  size_t names_seen = 0;
  size_t bad_name = 0;  // number of the record whose name was refused
  uint64_t total = 0;   // the sum of the sizes
  std::vector<wchar_t> name = std::vector<wchar_t>(kNameMax + 1);
};

bool read_at(void* ctx, uint64_t offset, void* buf, uint32_t n) {
  return static_cast<RandomFile*>(ctx)->read_at(offset, buf, n);
}

bool name_ok(void* ctx, const unsigned char* name, uint32_t length, bool directory) {
  Context* c = static_cast<Context*>(ctx);
  ++c->names_seen;
  int n;
  if (decode_entry_name(c->hooks, name, length, directory, c->name.data(), &n)) return true;
  c->bad_name = c->names_seen;
  return false;
}

void no_pause(void*) {}

void progress(void* ctx, uint64_t done) {
  Context* c = static_cast<Context*>(ctx);
  c->setup->progress(c->setup->progress_ctx, done, c->total);
}

// The record a damaged pass stopped in: the last one that begins before
// the place it stopped; past the records read_sfx_file could walk, the one
// that broke off there.
void locate(const SfxFile& sfx, uint64_t stopped, PassOutcome* o) {
  const std::vector<SfxRecord>& r = sfx.records;
  if (stopped > sfx.records_end) {
    o->record = r.size() + 1;
    return;
  }
  size_t i = r.size();
  while (i > 0 && r[i - 1].offset >= stopped) --i;
  if (i == 0) return;
  o->record = i;
  o->record_name = r[i - 1].name;
}

struct Buffers {
  std::unique_ptr<Extraction> x{new Extraction()};
  std::vector<unsigned char> in = std::vector<unsigned char>(kPiece + kInflatePad);
  std::vector<unsigned char> window = std::vector<unsigned char>(kInflateHistory + kPiece + kInflateSlack);
  std::vector<wchar_t> run = std::vector<wchar_t>(kPathChars);
  std::vector<wchar_t> helper = std::vector<wchar_t>(kPathChars);
  PathList extracted{}, created{};
  ~Buffers() {
    extracted.clear();
    created.clear();
  }
};

}  // namespace

PassOutcome run_record_pass(const PassSetup& s) {
  PassOutcome o;
  Context c{&s, {}};
  DiscardFileSystem nowhere;  // verify writes nothing
  RoutedFileSystem routed(s.fs ? s.fs : nowhere.table());
  c.hooks = {s.decode_ctx, routed.table(), s.decode, s.ask_overwrite, s.progress ? progress : nullptr};
  RecordSource src = {s.file, read_at, s.file->size()};
  uint64_t first = uint64_t(s.sfx->stub_size) + kHeaderSize;
  bool compressed = s.sfx->header.compressed != 0;

  std::vector<unsigned char> name(kNameMax);
  int64_t total = 0;
  if (!measure_records(src, first, compressed, {&c, name_ok, no_pause}, name.data(), &total)) {
    o.code = kCodeDamaged;
    o.damaged = true;
    if (c.bad_name) {
      o.record = c.bad_name;
      if (c.bad_name <= s.sfx->records.size()) o.record_name = s.sfx->records[c.bad_name - 1].name;
    } else {
      locate(*s.sfx, s.file->size(), &o);
    }
    return o;
  }

  c.total = uint64_t(total);
  Buffers b;
  for (const std::wstring& f : s.made_folders)
    if (!b.created.add(f.c_str())) return {kErrNotEnoughMemory};
  Extraction* x = b.x.get();
  x->src = src;
  x->first_record = first;
  x->compressed = compressed;
  x->overwrite_mode = s.overwrite_mode;
  x->self_delete = s.sfx->header.self_delete != 0;
  std::wstring folder = s.fs ? s.folder : std::wstring(kDiscardRoot);
  x->folder = folder.c_str();
  x->temp_folder = kDiscardRoot;
  x->hooks = c.hooks;
  x->hooks.ctx = &c;
  x->hooks.decode = [](void* ctx, const unsigned char* in, uint32_t n, wchar_t* out, uint32_t cap) {
    const PassSetup* setup = static_cast<Context*>(ctx)->setup;
    return setup->decode(setup->decode_ctx, in, n, out, cap);
  };
  x->hooks.ask_overwrite = [](void* ctx, const wchar_t* path) {
    const PassSetup* setup = static_cast<Context*>(ctx)->setup;
    return setup->ask_overwrite(setup->ask_ctx, path);
  };
  x->in = b.in.data();
  x->in_cap = kPiece;
  x->window = b.window.data();
  x->out_piece = kPiece;
  x->run_path = b.run.data();
  x->helper_path = b.helper.data();
  x->extracted = &b.extracted;
  x->created = &b.created;
  o.code = run_extraction(x);
  o.files = routed.real_files_closed;
  o.folders = b.created.count();
  if (o.code == 0) return o;
  o.damaged = x->fail_path == nullptr;
  if (o.damaged)
    locate(*s.sfx, x->pos, &o);
  else
    o.fail_path = x->fail_path;
  return o;
}

}  // namespace tw::cli
