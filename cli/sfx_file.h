#pragma once
// An SFX file as `list` shows it, read without inflating anything: the stub
// in front (its size, the code page it records, its UAC level, whether it
// has a certificate table), the option header, and every record's head,
// name and place in the file.
#include <stdint.h>

#include <string>
#include <vector>

#include "container_format.h"

namespace tw::cli {

class RandomFile {
 public:
  virtual ~RandomFile() = default;
  virtual uint64_t size() const = 0;
  // Reads exactly n bytes at offset; false when they are not all there.
  virtual bool read_at(uint64_t offset, void* buf, uint32_t n) = 0;
};

struct SfxRecord {
  EntryHead head;
  std::string name;     // the stored bytes
  uint64_t offset = 0;  // of the head
  uint64_t stored = 0;  // bytes of its data in the file: chunk lengths and streams
  uint32_t chunks = 0;
};

struct SfxFile {
  uint64_t file_size = 0;
  uint32_t stub_size = 0;  // the option header starts here
  uint32_t codepage = 0;   // the stub's "CODEPAGE" record; 0 when it has none
  uint8_t uac = 0;         // from the stub's manifest: 0 none, 1 highest, 2 admin
  bool certificate = false;
  OptionHeader header = {};
  std::vector<SfxRecord> records;
  // Where the walk over the records stopped: the terminator, or the record
  // that broke off.
  uint64_t records_end = 0;
};

// Codes as the stub ends with them.
const uint32_t kCodeNoContainer = 38;
const uint32_t kCodeDamagedRecords = 13;

// 0, or kCodeNoContainer when no container follows an executable, or
// kCodeDamagedRecords when the records break off or do not add up (the
// records read so far are kept; *problem says where).
uint32_t read_sfx_file(RandomFile& file, SfxFile* out, std::string* problem);

}  // namespace tw::cli
