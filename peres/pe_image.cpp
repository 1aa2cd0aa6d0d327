#include "pe_image.h"

namespace tw::peres {

uint32_t Section::virtual_end() const {
  uint64_t end = uint64_t(virtual_address) + (virtual_size ? virtual_size : raw_size);
  return end > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(end);
}

DataDirectory PeImage::directory(unsigned index) const {
  return index < directory_count && index < 16 ? directories[index] : DataDirectory();
}

int PeImage::section_of(uint32_t rva) const {
  for (size_t i = 0; i < sections.size(); ++i) {
    const Section& s = sections[i];
    if (rva >= s.virtual_address && rva < s.virtual_end()) return int(i);
  }
  return -1;
}

bool PeImage::rva_to_offset(uint32_t rva, uint32_t size, uint32_t* offset) const {
  int i = section_of(rva);
  if (i < 0) return false;
  const Section& s = sections[size_t(i)];
  uint32_t inside = rva - s.virtual_address;
  if (!in_bounds(inside, size, s.raw_size)) return false;
  *offset = s.raw_offset + inside;
  return true;
}

uint32_t PeImage::raw_end() const {
  uint32_t end = size_of_headers;
  for (const Section& s : sections)
    if (s.raw_size && s.raw_offset + s.raw_size > end) end = s.raw_offset + s.raw_size;
  return end;
}

namespace {

bool power_of_two(uint32_t v) { return v && !(v & (v - 1)); }

// Section header (40 bytes): name[8], VirtualSize, VirtualAddress,
// SizeOfRawData, PointerToRawData, PointerToRelocations,
// PointerToLinenumbers (4 bytes each), NumberOfRelocations,
// NumberOfLinenumbers (2 bytes each), Characteristics (4).
bool read_section(ByteView f, uint32_t at, Section* s) {
  if (!in_bounds(at, kSectionHeaderSize, f.size())) return false;
  s->name.assign(reinterpret_cast<const char*>(&f[at]), 8);
  s->name.resize(s->name.find('\0') == std::string::npos ? 8 : s->name.find('\0'));
  read_u32(f, at + 8, &s->virtual_size);
  read_u32(f, at + 12, &s->virtual_address);
  read_u32(f, at + 16, &s->raw_size);
  read_u32(f, at + 20, &s->raw_offset);
  read_u32(f, at + 36, &s->characteristics);
  if (s->raw_size == 0) s->raw_offset = 0;
  return in_bounds(s->raw_offset, s->raw_size, f.size());
}

}  // namespace

// DOS header: "MZ", e_lfanew (4 bytes at 0x3C) -> "PE\0\0", then the COFF
// file header (20 bytes: Machine, NumberOfSections, TimeDateStamp,
// PointerToSymbolTable, NumberOfSymbols, SizeOfOptionalHeader,
// Characteristics), then the optional header: Magic 0x10B (PE32) or 0x20B
// (PE32+); SectionAlignment at 32, FileAlignment at 36, SizeOfImage at 56,
// SizeOfHeaders at 60, CheckSum at 64, NumberOfRvaAndSizes at 92 (PE32+:
// 108), then the data directories (8 bytes each: address, size).
bool parse_pe(ByteView f, PeImage* out) {
  PeImage pe;
  uint32_t lfanew = 0, signature = 0;
  uint16_t section_count = 0, optional_size = 0, magic = 0;
  if (f.size() < 0x40 || f[0] != 'M' || f[1] != 'Z') return false;
  if (!read_u32(f, 0x3C, &lfanew) || !read_u32(f, lfanew, &signature) || signature != 0x4550)
    return false;
  pe.file_header = lfanew + 4;
  pe.optional_header = pe.file_header + 20;
  if (!read_u16(f, pe.file_header + kFileNumberOfSections, &section_count) ||
      !read_u16(f, pe.file_header + 16, &optional_size) ||
      !read_u16(f, pe.optional_header, &magic))
    return false;
  if (magic != 0x10B && magic != 0x20B) return false;
  pe.pe32plus = magic == 0x20B;
  uint32_t dirs_at = pe.optional_header + (pe.pe32plus ? 112 : 96);
  if (!in_bounds(pe.optional_header, optional_size, f.size()) ||
      pe.optional_header + optional_size < dirs_at)
    return false;
  read_u32(f, pe.optional_header + 32, &pe.section_alignment);
  read_u32(f, pe.optional_header + 36, &pe.file_alignment);
  read_u32(f, pe.optional_header + 60, &pe.size_of_headers);
  read_u32(f, dirs_at - 4, &pe.directory_count);
  if (!power_of_two(pe.section_alignment) || !power_of_two(pe.file_alignment) ||
      pe.file_alignment > pe.section_alignment)
    return false;
  // Only the directories the optional header really holds count.
  uint32_t room = (pe.optional_header + optional_size - dirs_at) / 8;
  if (pe.directory_count > room) pe.directory_count = room;
  for (unsigned i = 0; i < pe.directory_count && i < 16; ++i) {
    read_u32(f, dirs_at + 8 * i, &pe.directories[i].address);
    read_u32(f, dirs_at + 8 * i + 4, &pe.directories[i].size);
  }
  pe.section_table = pe.optional_header + optional_size;
  if (section_count == 0 || section_count > 96 ||
      !in_bounds(pe.section_table, uint64_t(section_count) * kSectionHeaderSize, f.size()) ||
      pe.size_of_headers > f.size())
    return false;
  uint32_t previous_end = 0;
  for (uint16_t i = 0; i < section_count; ++i) {
    Section s;
    if (!read_section(f, pe.section_table + i * kSectionHeaderSize, &s)) return false;
    // Sections follow one another in memory without overlapping.
    if (s.virtual_address < previous_end) return false;
    previous_end = s.virtual_end();
    pe.sections.push_back(s);
  }
  *out = pe;
  return true;
}

}  // namespace tw::peres
