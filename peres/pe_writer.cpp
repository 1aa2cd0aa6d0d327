#include "pe_writer.h"

#include "pe_checksum.h"
#include "pe_image.h"
#include "resource_section.h"

namespace tw::peres {

namespace {

// Section header fields written here (offsets in the 40-byte header).
const uint32_t kShVirtualSize = 8, kShVirtualAddress = 12, kShRawSize = 16, kShRawOffset = 20,
               kShCharacteristics = 36;

class Rewriter {
 public:
  Rewriter(const Bytes& f, const PeImage& pe) : f_(f), pe_(pe) {}

  bool write(const ResourceTree& tree, Bytes* out) {
    // Sections are padded to the file alignment: past the format's 64 KiB
    // one a damaged header would make that padding gigabytes long.
    if (pe_.file_alignment > 0x10000) return false;
    int r = in_place_section();
    bool ok = r >= 0 ? rebuild_in_place(size_t(r), tree) : append_section(tree);
    if (!ok || !finish()) return false;
    *out = std::move(out_);
    return true;
  }

 private:
  uint32_t header_of(size_t i) const { return pe_.section_table + uint32_t(i) * kSectionHeaderSize; }

  // The index of the resource section when it can be rebuilt where it
  // stands: the directory starts it, its raw data is the last but for the
  // base relocations, and only the relocation section follows it. -1 else.
  int in_place_section() const {
    DataDirectory res = pe_.directory(kDirResource);
    int r = res.address ? pe_.section_of(res.address) : -1;
    if (r < 0) return -1;
    const Section& s = pe_.sections[size_t(r)];
    uint32_t table_end = header_of(pe_.sections.size());
    if (s.virtual_address != res.address || s.raw_size == 0 || s.raw_offset < table_end) return -1;
    size_t after = pe_.sections.size() - size_t(r) - 1;
    if (after > 1) return -1;
    for (size_t i = 0; i < size_t(r); ++i) {
      const Section& o = pe_.sections[i];
      if (o.raw_size && o.raw_offset + o.raw_size > s.raw_offset) return -1;
    }
    if (after == 1) {
      const Section& reloc = pe_.sections[size_t(r) + 1];
      DataDirectory rel = pe_.directory(kDirBaseReloc);
      if (rel.address == 0 || pe_.section_of(rel.address) != r + 1 ||
          uint64_t(rel.address) + rel.size > reloc.virtual_end() ||
          (reloc.raw_size && reloc.raw_offset < s.raw_offset + s.raw_size))
        return -1;
    }
    return r;
  }

  bool rebuild_in_place(size_t r, const ResourceTree& tree) {
    const Section& old = pe_.sections[r];
    Bytes rsrc;
    if (!build_resource_section(tree, old.virtual_address, &rsrc)) return false;
    uint64_t raw = align_up(rsrc.size(), pe_.file_alignment);
    uint64_t end_va = align_up(uint64_t(old.virtual_address) + rsrc.size(), pe_.section_alignment);
    if (uint64_t(old.raw_offset) + raw > 0x7FFFFFFF || end_va > 0x7FFFFFFF) return false;
    out_.assign(f_.begin(), f_.begin() + old.raw_offset);
    out_.insert(out_.end(), rsrc.begin(), rsrc.end());
    out_.resize(size_t(old.raw_offset + raw), 0);
    put_u32(out_, header_of(r) + kShVirtualSize, uint32_t(rsrc.size()));
    put_u32(out_, header_of(r) + kShRawSize, uint32_t(raw));
    grow_initialized_data(old, uint32_t(raw));
    set_directory(kDirResource, old.virtual_address, uint32_t(rsrc.size()));
    if (r + 1 < pe_.sections.size()) move_relocations(r + 1, uint32_t(end_va));
    return true;
  }

  // The relocation section goes right behind the new resource section, in
  // memory and in the file; its directory entry moves with it.
  void move_relocations(size_t i, uint32_t new_va) {
    const Section& reloc = pe_.sections[i];
    uint32_t h = header_of(i);
    put_u32(out_, h + kShVirtualAddress, new_va);
    put_u32(out_, h + kShRawOffset, reloc.raw_size ? uint32_t(out_.size()) : 0);
    out_.insert(out_.end(), f_.begin() + reloc.raw_offset,
                f_.begin() + reloc.raw_offset + reloc.raw_size);
    DataDirectory rel = pe_.directory(kDirBaseReloc);
    set_directory(kDirBaseReloc, rel.address - reloc.virtual_address + new_va, rel.size);
  }

  // A new section ".rsrc" behind the last one, when the section table has
  // room for one more header (the bytes there must be unused).
  bool append_section(const ResourceTree& tree) {
    size_t n = pe_.sections.size();
    if (pe_.directory_count <= kDirResource) return false;
    uint32_t h = header_of(n);
    uint32_t first_raw = pe_.size_of_headers;
    for (const Section& s : pe_.sections)
      if (s.raw_size && s.raw_offset < first_raw) first_raw = s.raw_offset;
    if (h + kSectionHeaderSize > first_raw) return false;
    for (uint32_t i = 0; i < kSectionHeaderSize; ++i)
      if (f_[h + i]) return false;
    uint64_t va = align_up(pe_.sections.back().virtual_end(), pe_.section_alignment);
    uint64_t at = align_up(pe_.raw_end(), pe_.file_alignment);
    Bytes rsrc;
    if (va > 0x7FFFFFFF || !build_resource_section(tree, uint32_t(va), &rsrc)) return false;
    uint64_t raw = align_up(rsrc.size(), pe_.file_alignment);
    if (at + raw > 0x7FFFFFFF || va + rsrc.size() > 0x7FFFFFFF) return false;
    out_.assign(f_.begin(), f_.begin() + pe_.raw_end());
    out_.resize(size_t(at), 0);
    out_.insert(out_.end(), rsrc.begin(), rsrc.end());
    out_.resize(size_t(at + raw), 0);
    static const char kName[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
    std::copy(kName, kName + 8, out_.begin() + h);
    put_u32(out_, h + kShVirtualSize, uint32_t(rsrc.size()));
    put_u32(out_, h + kShVirtualAddress, uint32_t(va));
    put_u32(out_, h + kShRawSize, uint32_t(raw));
    put_u32(out_, h + kShRawOffset, uint32_t(at));
    put_u32(out_, h + kShCharacteristics, kScnInitializedData | kScnMemRead);
    put_u16(out_, pe_.file_header + kFileNumberOfSections, uint16_t(n + 1));
    Section none;
    none.characteristics = kScnInitializedData;
    grow_initialized_data(none, uint32_t(raw));
    set_directory(kDirResource, uint32_t(va), uint32_t(rsrc.size()));
    return true;
  }

  void set_directory(unsigned index, uint32_t address, uint32_t size) {
    put_u32(out_, pe_.directory_entry(index), address);
    put_u32(out_, pe_.directory_entry(index) + 4, size);
  }

  void grow_initialized_data(const Section& old, uint32_t new_raw) {
    if (!(old.characteristics & kScnInitializedData)) return;
    uint32_t at = pe_.optional_header + kOptSizeOfInitializedData;
    uint32_t v = 0;
    read_u32(out_, at, &v);
    put_u32(out_, at, v - old.raw_size + new_raw);
  }

  // SizeOfImage, no certificate table, no symbol table behind the sections
  // (nothing is left there), and the checksum.
  bool finish() {
    PeImage now;
    if (!parse_pe(out_, &now)) return false;
    uint64_t image = align_up(now.sections.back().virtual_end(), pe_.section_alignment);
    put_u32(out_, pe_.optional_header + kOptSizeOfImage, uint32_t(image));
    if (pe_.directory_count > kDirSecurity) set_directory(kDirSecurity, 0, 0);
    uint32_t symbols = 0;
    read_u32(out_, pe_.file_header + kFilePointerToSymbolTable, &symbols);
    if (symbols >= out_.size()) {
      put_u32(out_, pe_.file_header + kFilePointerToSymbolTable, 0);
      put_u32(out_, pe_.file_header + kFileNumberOfSymbols, 0);
    }
    uint32_t checksum = 0, at = pe_.optional_header + kOptCheckSum;
    read_u32(out_, at, &checksum);
    if (checksum) put_u32(out_, at, pe_checksum(out_, at));
    return true;
  }

  const Bytes& f_;
  const PeImage& pe_;
  Bytes out_;
};

}  // namespace

bool write_with_resources(const Bytes& file, const ResourceTree& tree, Bytes* out) {
  PeImage pe;
  if (!parse_pe(file, &pe)) return false;
  return Rewriter(file, pe).write(tree, out);
}

}  // namespace tw::peres
