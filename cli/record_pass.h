#pragma once
// `verify` and `extract` run the stub's own passes over the records, so
// that they accept and refuse exactly what an SFX file does: the measuring
// walk (names, lengths, the terminator), then the extraction pass, which
// checks every chunk and checksum and leaves nothing of a damaged file.
// `verify` runs the pass on a file system that keeps nothing; `extract` on
// the system's, the helper record checked but never written.
#include <stdint.h>

#include <string>
#include <vector>

#include "file_system.h"
#include "sfx_file.h"

namespace tw::cli {

// Stored name bytes to wide characters (the pass's decode hook).
using DecodeName = int (*)(void* ctx, const unsigned char* in, uint32_t n, wchar_t* out, uint32_t cap);

struct PassSetup {
  RandomFile* file = nullptr;
  const SfxFile* sfx = nullptr;  // read by read_sfx_file
  const FileSystem* fs = nullptr;  // nullptr: verify, nothing is written
  std::wstring folder;             // extract: absolute, ends with a backslash
  std::vector<std::wstring> made_folders;  // extract: those of folder the caller made
  uint8_t overwrite_mode = 0;
  DecodeName decode = nullptr;
  void* decode_ctx = nullptr;
  bool (*ask_overwrite)(void* ctx, const wchar_t* path) = nullptr;
  void* ask_ctx = nullptr;
  // Raw bytes handled of `total`.
  void (*progress)(void* ctx, uint64_t done, uint64_t total) = nullptr;
  void* progress_ctx = nullptr;
};

struct PassOutcome {
  uint32_t code = 0;       // 0, or the code an SFX file would end with
  bool damaged = false;    // the code is about the SFX file's data
  std::wstring fail_path;  // else the path it concerns
  size_t record = 0;       // damaged: the record concerned, from 1 (0: unknown)
  std::string record_name; // its stored name, when it was read
  size_t files = 0, folders = 0;  // extract: files written, folders made
};

PassOutcome run_record_pass(const PassSetup& setup);

}  // namespace tw::cli
