#pragma once
// The headers of a PE file (PE32 or PE32+) read from its bytes: the values
// the resource editor needs and where they lie, every one checked against
// the file's size.
#include <stdint.h>

#include <string>
#include <vector>

#include "bytes.h"

namespace tw::peres {

enum DataDirectoryIndex { kDirResource = 2, kDirSecurity = 4, kDirBaseReloc = 5 };

// Section characteristics the editor sets on a section of its own.
const uint32_t kScnInitializedData = 0x00000040;
const uint32_t kScnMemRead = 0x40000000;

struct Section {
  std::string name;  // up to 8 bytes
  uint32_t virtual_size = 0;
  uint32_t virtual_address = 0;
  uint32_t raw_size = 0;
  uint32_t raw_offset = 0;
  uint32_t characteristics = 0;
  uint32_t virtual_end() const;  // address after the section's memory
};

struct DataDirectory {
  uint32_t address = 0;  // an RVA; a file offset for the security directory
  uint32_t size = 0;
};

struct PeImage {
  bool pe32plus = false;
  uint32_t file_header = 0;      // offset of the COFF file header
  uint32_t optional_header = 0;  // offset of the optional header
  uint32_t section_table = 0;    // offset of the first section header
  uint32_t section_alignment = 0;
  uint32_t file_alignment = 0;
  uint32_t size_of_headers = 0;
  uint32_t directory_count = 0;
  std::vector<Section> sections;

  DataDirectory directory(unsigned index) const;
  // Offset in the file of `size` bytes at `rva`, all inside one section's
  // raw data; false when they are not all in the file.
  bool rva_to_offset(uint32_t rva, uint32_t size, uint32_t* offset) const;
  // Index of the section whose memory holds rva; -1 when none does.
  int section_of(uint32_t rva) const;
  // Where the last section's raw data ends (the headers' end without one).
  uint32_t raw_end() const;

  // Offset in the file of data directory entry `index` (index below
  // directory_count).
  uint32_t directory_entry(unsigned index) const {
    return optional_header + (pe32plus ? 112 : 96) + 8 * index;
  }
  DataDirectory directories[16] = {};
};

// False for anything that is not a sound PE file.
bool parse_pe(ByteView file, PeImage* out);

// Offsets inside the optional header, the same in PE32 and PE32+.
const uint32_t kOptSizeOfInitializedData = 8;
const uint32_t kOptSizeOfImage = 56;
const uint32_t kOptCheckSum = 64;
// Offsets inside the COFF file header and a section header.
const uint32_t kFileNumberOfSections = 2;
const uint32_t kFilePointerToSymbolTable = 8;
const uint32_t kFileNumberOfSymbols = 12;
const uint32_t kSectionHeaderSize = 40;

}  // namespace tw::peres
