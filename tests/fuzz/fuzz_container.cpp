// libFuzzer target over what the stub reads from an SFX file: the payload
// locator, the option header, the measuring walk over the records and the
// extraction pass on the in-memory file system, straight on and through
// the ring of slots. An input is the option header followed by the records
// (the stub executable in front is left out; the locator still gets the
// whole input). Beyond the sanitizers it checks three promises: no file
// stays open, damaged data leaves the file system exactly as it was, and
// the ring changes nothing.
#include <cstdlib>
#include <cstring>
#include <map>

#include "../../common/payload_locator.h"
#include "../support/pass_runner.h"

namespace {

struct Input {
  const uint8_t* data;
  size_t size;
};

bool read_at32(void* ctx, uint32_t offset, void* buf, uint32_t n) {
  const Input* in = static_cast<const Input*>(ctx);
  if (offset > in->size || n > in->size - offset) return false;
  std::memcpy(buf, in->data + offset, n);
  return true;
}

bool read_at(void* ctx, uint64_t offset, void* buf, uint32_t n) {
  return offset <= 0xFFFFFFFFu && read_at32(ctx, uint32_t(offset), buf, n);
}

bool name_ok(void*, const unsigned char* name, uint32_t length, bool directory) {
  static wchar_t wide[tw::kNameMax + 1];
  int n;
  tw::PassHooks hooks = {};
  hooks.decode = [](void*, const unsigned char* in, uint32_t k, wchar_t* out, uint32_t cap) -> int {
    if (k > cap) return -1;
    for (uint32_t i = 0; i < k; ++i) out[i] = in[i];
    return int(k);
  };
  return tw::decode_entry_name(hooks, name, length, directory, wide, &n);
}

void nothing(void*) {}

// Paths, contents and attributes.
std::map<std::wstring, std::pair<std::string, uint32_t>> snapshot(const FakeFileSystem& fs) {
  std::map<std::wstring, std::pair<std::string, uint32_t>> out;
  for (auto& n : fs.nodes) out[n.first] = {n.second.data, n.second.attributes};
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in = {data, size};
  tw::locate_payload(read_at32, &in);
  if (size < tw::kHeaderSize) return 0;
  tw::OptionHeader header;
  tw::decode_option_header(data, &header);

  static unsigned char name[tw::kNameMax];
  tw::RecordSource src = {&in, read_at, size};
  tw::WalkHooks hooks = {nullptr, name_ok, nothing};
  int64_t total = 0;
  if (!tw::measure_records(src, tw::kHeaderSize, header.compressed != 0, hooks, name, &total)) return 0;

  // Straight on, and through a ring of two slots: the same outcome.
  std::map<std::wstring, std::pair<std::string, uint32_t>> after[2];
  uint32_t codes[2];
  for (uint32_t queued = 0; queued < 2; ++queued) {
    PassRunner r;
    r.queue_slots = queued * 2;
    r.fs.add_file(L"C:\\out\\a.txt", "there before");
    r.fs.space = 1 << 20;
    r.answer = (header.overwrite_mode & 0x80) != 0;
    r.records.assign(data + tw::kHeaderSize, data + size);
    auto before = snapshot(r.fs);
    codes[queued] = r.run(header.overwrite_mode & 3, header.self_delete != 0, header.compressed != 0);
    if (r.fs.open_files != 0) std::abort();
    if (codes[queued] && !r.fail_path && snapshot(r.fs) != before) std::abort();  // damage left something
    after[queued] = snapshot(r.fs);
  }
  if (codes[0] != codes[1] || after[0] != after[1]) std::abort();
  return 0;
}
