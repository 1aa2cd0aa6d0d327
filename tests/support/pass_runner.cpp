#include "pass_runner.h"

#include <cstdlib>

#include "../../stub/record_queue.h"

namespace {

bool read_at(void* ctx, uint64_t offset, void* buf, uint32_t n) {
  auto* v = static_cast<std::vector<unsigned char>*>(ctx);
  if (offset > v->size() || n > v->size() - offset) return false;
  std::copy(v->begin() + long(offset), v->begin() + long(offset + n), static_cast<unsigned char*>(buf));
  return true;
}

// Bytes as Latin-1: each byte is the character of the same value.
int decode(void*, const unsigned char* in, uint32_t n, wchar_t* out, uint32_t cap) {
  if (n > cap) return -1;
  for (uint32_t i = 0; i < n; ++i) out[i] = in[i];
  return int(n);
}

void progress(void* ctx, uint64_t) {
  auto* r = static_cast<PassRunner*>(ctx);
  if (r->during) r->during();
}

bool ask(void* ctx, const wchar_t*) {
  auto* r = static_cast<PassRunner*>(ctx);
  ++r->asked;
  return r->answer;
}

// The pass's buffers and work space, made once (they are large). Small
// pieces: data is read and inflated in many of them.
const uint32_t kInCap = tw::kInflateMinInput, kOutPiece = 300;
struct Space {
  std::unique_ptr<tw::Extraction> x{new tw::Extraction()};
  std::vector<unsigned char> in = std::vector<unsigned char>(kInCap + tw::kInflatePad);
  std::vector<unsigned char> window =
      std::vector<unsigned char>(tw::kInflateHistory + kOutPiece + tw::kInflateSlack);
  std::vector<wchar_t> run = std::vector<wchar_t>(tw::kPathChars);
  std::vector<wchar_t> helper = std::vector<wchar_t>(tw::kPathChars);
};

// The stub's carrier without its thread: a slot reaches the writing half
// the moment it is full.
struct InlineQueue {
  tw::RecordQueue q{};
  std::vector<uint32_t> storage;
  const tw::RecordSink* writer = nullptr;
  uint32_t code = 0;
  int closes = 0;
};

void deliver(void* ctx) {
  auto* a = static_cast<InlineQueue*>(ctx);
  if (tw::queue_deliver(a->q, a->q.fill, *a->writer, &a->code)) ++a->closes;
}

void nothing_to_wait_for(void*) {}

uint32_t run_queued(void* ctx, tw::Extraction* x, const tw::RecordSink& writer) {
  auto* a = static_cast<InlineQueue*>(ctx);
  a->writer = &writer;
  a->closes = 0;
  tw::queue_start(&a->q);
  uint32_t r = tw::read_records(x, tw::queue_sink(&a->q));
  tw::queue_close(&a->q, r);
  if (a->closes != 1 || a->code != r) std::abort();  // the close event carries the result, once
  return a->code;
}

}  // namespace

uint32_t PassRunner::run(uint8_t overwrite_mode, bool self_delete, bool compressed) {
  static Space space;
  tw::Extraction* x = space.x.get();
  x->src = {&records, read_at, records.size()};
  x->first_record = 0;
  x->compressed = compressed;
  x->overwrite_mode = overwrite_mode;
  x->self_delete = self_delete;
  x->folder = L"C:\\out\\";
  x->temp_folder = L"C:\\temp\\";
  x->hooks = {this, fs.table(), decode, ask, progress};
  x->in = space.in.data();
  x->in_cap = kInCap;
  x->window = space.window.data();
  x->out_piece = kOutPiece;
  static InlineQueue queue;
  static const tw::RecordCarrier carrier = {&queue, run_queued};
  x->carrier = nullptr;
  if (queue_slots) {
    queue.storage.assign(size_t(queue_slots) * tw::kQueueMinSlot / 4, 0xDEADBEEF);
    queue.q.slots = reinterpret_cast<unsigned char*>(queue.storage.data());
    queue.q.slot_size = tw::kQueueMinSlot;
    queue.q.slot_count = queue_slots;
    queue.q.ctx = &queue;
    queue.q.publish = deliver;
    queue.q.take = nothing_to_wait_for;
    x->carrier = &carrier;
  }
  space.run[0] = space.helper[0] = 0;
  x->run_path = space.run.data();
  x->helper_path = space.helper.data();
  x->extracted = &extracted;
  x->created = &created;
  uint32_t r = tw::run_extraction(x);
  fail_path = x->fail_path;
  run_path = space.run.data();
  helper_path = space.helper.data();
  return r;
}

std::string PassRunner::data(const std::wstring& path) const {
  auto it = fs.nodes.find(path);
  return it == fs.nodes.end() ? std::string("<none>") : it->second.data;
}
