// libFuzzer target over the PE resource editor. An input is read as a PE
// file whose tree, written back, must read back the same, and which must
// take a small edit of its own. Then every edit of a build takes the input
// as its source (an icon file, an executable, the manifest's text) and the
// shipped stub as its target (a small PE made here when no stub is built):
// an edit either leaves the stub exactly as it was, or gives a PE whose
// resources read back and which grew by no more than a source may give.
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "../unit/peres_test_pe.h"
#include "pe_writer.h"
#include "resource_edits.h"
#include "resource_reader.h"

using namespace tw::peres;

namespace {

void check(bool promise) {
  if (!promise) std::abort();
}

const Bytes& stub() {
  static const Bytes bytes = [] {
    std::ifstream in(TW_STUB_WIN32, std::ios::binary);
    Bytes b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return b.empty() ? testing::make_pe(testing::PeShape{}) : b;
  }();
  return bytes;
}

void round_trip(const Bytes& file) {
  ResourceTree tree, again;
  Bytes out;
  if (!read_pe_resources(file, &tree) || !write_with_resources(file, tree, &out)) return;
  check(read_pe_resources(out, &again) && again == tree);
  Bytes edited = file;
  if (WriteResource(&edited, ResName::number(kRtManifest), ResName::number(1), {'<', '/', '>'}))
    check(bool(read_pe_resources(edited, &tree)));
}

// A source gives at most its size (and kMaxResourceGain) in data and
// names; the tables that hold them cost at most a few times the entries
// the source spent on them, plus the alignment of the stub's sections.
template <typename Edit>
void edit_stub(const Bytes& source, Edit edit) {
  Bytes target = stub();
  if (!edit(source, &target)) return check(target == stub());
  ResourceTree tree;
  check(bool(read_pe_resources(target, &tree)));
  uint64_t gain = std::min<uint64_t>(source.size(), kMaxResourceGain);
  check(target.size() <= stub().size() + 6 * gain + 0x10000);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Bytes input(data, data + size);
  round_trip(input);
  GetVersionLanguage(input);
  edit_stub(input, ReplaceIconFromIco);
  edit_stub(input, CopyIconFromExecutable);
  edit_stub(input, CopyVersionInfo);
  edit_stub(input, [](const Bytes& text, Bytes* target) {
    return WriteResource(target, ResName::number(kRtManifest), ResName::number(1), text);
  });
  return 0;
}
