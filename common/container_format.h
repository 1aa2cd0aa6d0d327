#pragma once
// Byte layout of the data an SFX file carries behind its stub executable.
// Shared by the maker (writer) and the stub (reader); all integers are
// little-endian, nothing is padded, texts are bytes of the system code page.
//
//   stub executable       the carried stub, ends where its last section ends
//   option header         2330 bytes:
//     0     1   extraction mode      0 extract only, 1 extract and run
//     1     1   extraction folder    0 temp, 1 desktop, 2 documents,
//                                    3 current, 4 ask, 5 custom
//     2  2048   run parameters       <= 2047 bytes, NUL, zero-filled
//  2050   261   custom folder        <= 260 bytes, NUL, zero-filled
//  2311    11   run identifier       10 uppercase hex digits, NUL
//  2322     1   open folder          0/1
//  2323     1   data compressed      0/1 (the maker always writes 1)
//  2324     1   one instance         0/1
//  2325     1   silent               0/1
//  2326     1   self-delete          0/1
//  2327     1   delete mode          0 at end, 1 at reboot, 2 never
//  2328     1   working folder       0 extraction, 1 SFX folder, 2 current
//  2329     1   overwrite mode       0 ask, 1 all, 2 skip
//   [helper record]       kind 2, only in self-delete mode, always first
//   entry records         one per folder and file, in scan order
//   terminator            17 zero bytes
//
// Entry record:
//     0     1   kind                 0 ordinary, 1 file to run, 2 helper
//     1     4   name length          unsigned
//     5     4   size                 signed; 0 for a folder
//     9     4   DOS date-time        date in the high 16 bits
//    13     4   attributes           0x10 marks a folder
//    17     n   name                 relative path, no NUL
//   folder: 4-byte checksum
//   file:   chunks, then 4-byte checksum
//     chunk (compressed): raw length u32, stream length u32, zlib stream
//     chunk (stored):     raw bytes
//   Chunks cover the size in order, min(remaining, 9,437,184) bytes each.
//   checksum = byte sum of the name bytes and of every raw data byte.
#include <stddef.h>
#include <stdint.h>

namespace tw {

const uint32_t kHeaderSize = 2330;
const uint32_t kEntryHeadSize = 17;
const uint32_t kChunkRawMax = 9437184;          // 0x900000
const uint32_t kChunkCompressedMax = 10485760;  // 0xA00000
const uint32_t kParametersMax = 2047;
const uint32_t kCustomFolderMax = 260;
const uint32_t kRunIdDigits = 10;
const uint32_t kAttrDirectory = 0x10;

// Header field offsets.
const uint32_t kOffExtractionMode = 0;
const uint32_t kOffExtractionFolder = 1;
const uint32_t kOffParameters = 2;
const uint32_t kOffCustomFolder = 2050;
const uint32_t kOffRunId = 2311;
const uint32_t kOffOpenFolder = 2322;
const uint32_t kOffCompressed = 2323;
const uint32_t kOffOneInstance = 2324;
const uint32_t kOffSilent = 2325;
const uint32_t kOffSelfDelete = 2326;
const uint32_t kOffDeleteMode = 2327;
const uint32_t kOffWorkingFolder = 2328;
const uint32_t kOffOverwriteMode = 2329;

enum EntryKind : uint8_t { kKindOrdinary = 0, kKindRunFile = 1, kKindHelper = 2 };

// The helper's name inside the container and in the temporary folder.
#define TW_HELPER_NAME "xsfxdel~.exe"

struct OptionHeader {
  uint8_t extraction_mode;
  uint8_t extraction_folder;
  char parameters[kParametersMax + 1];
  char custom_folder[kCustomFolderMax + 1];
  char run_id[kRunIdDigits + 1];
  uint8_t open_folder;
  uint8_t compressed;
  uint8_t one_instance;
  uint8_t silent;
  uint8_t self_delete;
  uint8_t delete_mode;
  uint8_t working_folder;
  uint8_t overwrite_mode;
};

struct EntryHead {
  uint8_t kind;
  uint32_t name_length;
  int32_t size;
  uint32_t dos_time;
  uint32_t attributes;
};

inline uint32_t get_u32le(const unsigned char* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void put_u32le(unsigned char* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}

// Writes the 2330-byte header. Texts longer than their field are cut.
void encode_option_header(const OptionHeader& h, unsigned char out[kHeaderSize]);
// Reads the header; the texts are always NUL-terminated afterwards.
void decode_option_header(const unsigned char in[kHeaderSize], OptionHeader* h);

void encode_entry_head(const EntryHead& e, unsigned char out[kEntryHeadSize]);
void decode_entry_head(const unsigned char in[kEntryHeadSize], EntryHead* e);

// The terminator is a head whose four 32-bit fields are all zero; the kind
// byte is not looked at.
inline bool is_terminator(const EntryHead& e) {
  return e.name_length == 0 && e.size == 0 && e.dos_time == 0 && e.attributes == 0;
}

inline bool is_directory(const EntryHead& e) { return (e.attributes & kAttrDirectory) != 0; }

// Raw bytes in the chunk that starts at `position` of a file of `size` bytes.
inline uint32_t chunk_raw_length(uint64_t size, uint64_t position) {
  uint64_t left = size - position;
  return left < kChunkRawMax ? uint32_t(left) : kChunkRawMax;
}

// Number of chunks a file of `size` bytes is stored in.
inline uint64_t chunk_count(uint64_t size) { return (size + kChunkRawMax - 1) / kChunkRawMax; }

// Writes `value` as 10 uppercase hex digits (more if it needs them) and a NUL.
void format_run_id(uint32_t value, char out[kRunIdDigits + 1]);

}  // namespace tw
