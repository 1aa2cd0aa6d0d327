#include "sfx_file.h"

#include "payload_locator.h"
#include "pe_image.h"
#include "record_walk.h"
#include "resource_reader.h"

namespace tw::cli {

namespace {

// The largest stub whose resources are looked at: far above any stub the
// maker writes, low enough not to read a damaged file's gigabytes.
const uint32_t kStubReadMax = 64u << 20;

bool read_at32(void* ctx, uint32_t offset, void* buf, uint32_t n) {
  return static_cast<RandomFile*>(ctx)->read_at(offset, buf, n);
}

uint8_t uac_level(const peres::ResourceTree& tree) {
  const peres::NameMap* manifests = peres::names_of(tree, peres::kRtManifest);
  if (!manifests) return 0;
  for (const auto& name : *manifests) {
    for (const auto& language : name.second) {
      std::string text(language.second.data.begin(), language.second.data.end());
      if (text.find("\"requireAdministrator\"") != std::string::npos) return 2;
      if (text.find("\"highestAvailable\"") != std::string::npos) return 1;
    }
  }
  return 0;
}

uint32_t recorded_code_page(const peres::ResourceTree& tree) {
  const peres::NameMap* data = peres::names_of(tree, peres::kRtRcData);
  if (!data) return 0;
  auto it = data->find(peres::ResName::string(u"CODEPAGE"));
  if (it == data->end() || it->second.empty()) return 0;
  const peres::Bytes& b = it->second.begin()->second.data;
  return b.size() >= 4 ? get_u32le(b.data()) : 0;
}

// Code page, UAC level and certificate table of the stub's bytes.
void read_stub(RandomFile& file, SfxFile* out) {
  if (out->stub_size > kStubReadMax) return;
  peres::Bytes stub(out->stub_size);
  if (!file.read_at(0, stub.data(), out->stub_size)) return;
  peres::PeImage pe;
  if (!peres::parse_pe(stub, &pe)) return;
  out->certificate = pe.directory(peres::kDirSecurity).size != 0;
  peres::ResourceTree tree;
  peres::ReadScope scope;
  scope.types = {peres::kRtRcData, peres::kRtManifest};
  if (!peres::read_resources(stub, pe, &tree, scope)) return;
  out->codepage = recorded_code_page(tree);
  out->uac = uac_level(tree);
}

// The chunks of a compressed file: raw and stream lengths, streams skipped.
bool walk_chunks(RandomFile& file, uint64_t* pos, SfxRecord* r) {
  uint64_t size = uint64_t(r->head.size), covered = 0;
  while (covered < size) {
    unsigned char lengths[8];
    if (!file.read_at(*pos, lengths, 8)) return false;
    uint32_t raw = get_u32le(lengths), stream = get_u32le(lengths + 4);
    if (!raw_length_fits(raw, size - covered) || *pos + 8 + stream > file.size()) return false;
    *pos += 8 + uint64_t(stream);
    r->stored += 8 + uint64_t(stream);
    ++r->chunks;
    covered += raw;
  }
  return true;
}

// One record from *pos; false when it breaks off or does not add up.
bool read_record(RandomFile& file, bool compressed, uint64_t* pos, SfxRecord* r) {
  unsigned char head[kEntryHeadSize];
  r->offset = *pos;
  if (!file.read_at(*pos, head, kEntryHeadSize)) return false;
  decode_entry_head(head, &r->head);
  if (is_terminator(r->head)) return true;
  *pos += kEntryHeadSize;
  if (r->head.size < 0 || r->head.name_length > kNameMax) return false;
  r->name.resize(r->head.name_length);
  if (!file.read_at(*pos, &r->name[0], r->head.name_length)) return false;
  *pos += r->head.name_length;
  if (!is_directory(r->head)) {
    if (compressed) {
      if (!walk_chunks(file, pos, r)) return false;
    } else {
      r->stored = uint64_t(r->head.size);
      r->chunks = uint32_t(chunk_count(r->stored));
      *pos += r->stored;
    }
  }
  *pos += 4;  // the checksum
  return *pos <= file.size();
}

}  // namespace

uint32_t read_sfx_file(RandomFile& file, SfxFile* out, std::string* problem) {
  out->file_size = file.size();
  out->stub_size = locate_payload(read_at32, &file);
  unsigned char header[kHeaderSize];
  if (out->stub_size == 0 || out->file_size <= uint64_t(out->stub_size) + kHeaderSize ||
      !file.read_at(out->stub_size, header, kHeaderSize)) {
    *problem = "no SFX data follows the executable";
    return kCodeNoContainer;
  }
  decode_option_header(header, &out->header);
  read_stub(file, out);
  uint64_t pos = uint64_t(out->stub_size) + kHeaderSize;
  for (;;) {
    SfxRecord r;
    out->records_end = pos;
    if (!read_record(file, out->header.compressed != 0, &pos, &r)) {
      *problem = "record " + std::to_string(out->records.size() + 1) + " at offset " +
                 std::to_string(r.offset) + " breaks off or does not add up";
      return kCodeDamagedRecords;
    }
    if (is_terminator(r.head)) return 0;
    out->records.push_back(std::move(r));
  }
}

}  // namespace tw::cli
