#pragma once
// The two passes over the entry records after the folder is chosen:
//   1. verify: every chunk is inflated and every checksum compared, the
//      helper record is checked, nothing is written;
//   2. write: folders and files are made below the extraction folder (the
//      helper below the temporary folder) through the file-system table.
// A damaged SFX file therefore writes nothing at all. Portable: the stub
// runs it on Win32, the unit tests and the fuzz target on a memory tree.
//
// Writing a file: a new file is created under its own name (the call fails
// when the name appeared meanwhile); an existing file that is to be
// replaced stays untouched until its successor is complete under a
// temporary name in the same folder, which then is renamed over it. No
// path passes through a link or junction below the extraction folder, and
// every written file must really lie below the folder's final path.
#include <stdint.h>

#include "file_system.h"
#include "path_list.h"
#include "record_walk.h"

namespace tw {

// Characters of every path buffer (the longest path Windows handles).
const uint32_t kPathChars = 32768;

struct PassHooks {
  void* ctx;
  const FileSystem* fs;
  // Decodes n stored name bytes into out (cap characters); returns the
  // number of characters, or -1 when the bytes are no text.
  int (*decode)(void* ctx, const unsigned char* in, uint32_t n, wchar_t* out, uint32_t cap);
  // Overwrite mode 0: asked for each existing file; true writes it.
  bool (*ask_overwrite)(void* ctx, const wchar_t* path);
  // Raw bytes handled by both passes so far (the whole job is twice the
  // sum of the sizes).
  void (*progress)(void* ctx, uint64_t done);
};

struct Extraction {
  // Input.
  RecordSource src;
  uint64_t first_record;
  bool compressed;
  uint8_t overwrite_mode;
  bool self_delete;
  const wchar_t* folder;       // absolute, ends with a backslash
  const wchar_t* temp_folder;  // for the helper, ends with a backslash
  PassHooks hooks;
  unsigned char* data;   // kChunkCompressedMax bytes
  unsigned char* block;  // kChunkRawMax bytes
  unsigned char* cache;  // cache_size bytes (may be none): inflated chunks
  size_t cache_size;     // the verify pass keeps for the write pass

  // Output (the caller's storage).
  wchar_t* run_path;     // record of kind 1 (kPathChars), empty until met
  wchar_t* helper_path;  // the helper once written (kPathChars)
  PathList* extracted;   // files this run created
  PathList* created;     // folders this run created, in order
  // The path a failure concerns; null for the SFX file itself (damaged
  // data).
  const wchar_t* fail_path;

  // Work space.
  uint64_t pos;
  uint64_t done;
  bool writing;
  size_t cache_filled, cache_used;
  bool cache_closed;
  const wchar_t* root_for;  // the base root_final belongs to
  unsigned char name[kNameMax];
  wchar_t wide[kNameMax + 1];
  wchar_t path[kPathChars];
  wchar_t temp[kPathChars];
  wchar_t final_path[kPathChars];
  wchar_t root_final[kPathChars];  // of the folder being written below
  wchar_t checked[kPathChars];     // last folder found free of links
};

// Exit codes for damaged data (Windows error numbers).
const uint32_t kCodeDamaged = 13;       // ERROR_INVALID_DATA
const uint32_t kCodeChecksum = 23;      // ERROR_CRC
const uint32_t kCodeChunkTooLarge = 8;  // ERROR_NOT_ENOUGH_MEMORY
const uint32_t kCodeInflate = 160;      // ERROR_BAD_ARGUMENTS

// Decodes a stored name and checks the whole of it (a NUL inside is no
// name). true with *n characters in out.
bool decode_entry_name(const PassHooks& hooks, const unsigned char* name, uint32_t length, bool directory,
                       wchar_t* out, int* n);

// Verifies, then writes. Returns 0 or the code for the finish routine (with
// x->fail_path).
uint32_t run_extraction(Extraction* x);

}  // namespace tw
