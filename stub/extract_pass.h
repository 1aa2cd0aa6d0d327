#pragma once
// The one pass over the entry records after the folder is chosen: each
// chunk is read, inflated and checked once, and written as it comes. Folders
// and files are made below the extraction folder (the helper below the
// temporary folder) through the file-system table. Portable: the stub runs
// it on Win32, the unit tests and the fuzz target on a memory tree.
//
// The pass has two halves that meet in a RecordSink: the reading half
// (read_records) reads, inflates and checks, and never touches the file
// system; the writing half makes the folders and files. Without a carrier
// the reading half calls the writing half directly; the stub's carrier
// runs the reading half on a thread of its own, a few pieces ahead.
//
// What a damaged SFX file may leave, and where files appear:
//   - a new file in a folder this run created is written under its own
//     name (created new: the call fails when the name is taken). Nobody had
//     that folder before, and damage found later removes the file again;
//   - in a folder the run did not create, a new file and the successor of
//     an existing file are written under a temporary name beside it and put
//     in place only once the whole container has been checked, so such a
//     folder never shows a half-written file, or any file of a damaged SFX
//     file, under its final name; an existing file stays as it was until
//     then, and when its replacement fails;
//   - damage anywhere removes every file and folder this run made;
//   - a failure of the file system (a full disk, a link in the way, a
//     refused replacement) stops the writing but not the checking: when the
//     rest is sound, the files completed before it are put in place and the
//     failure is reported; when it is not, the damage is, and nothing stays.
// No path passes through a link or junction below the extraction folder
// (each folder is looked at once), and every folder written to must really
// lie below the extraction folder's final path.
#include <stdint.h>

#include "file_system.h"
#include "inflate.h"
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
  // Raw bytes handled so far.
  void (*progress)(void* ctx, uint64_t done);
};

// What the reading half hands on, in record order: begin, the record's
// data in pieces, end; the next record follows only after end.
struct RecordSink {
  void* ctx;
  // name: the decoded name (n characters and a 0), checked already.
  void (*begin)(void* ctx, const EntryHead& head, const wchar_t* name, uint32_t n);
  void (*data)(void* ctx, const unsigned char* p, uint32_t n);
  // The record's data and checksum are sound (0), or the code of damaged
  // data, which ends the walk.
  void (*end)(void* ctx, uint32_t code);
};

struct Extraction;

// Carries the records from the reading half to the writing half: calls
// read_records(x, sink) somehow so that writer gets every call of sink in
// order, on the calling thread, and returns its result.
struct RecordCarrier {
  void* ctx;
  uint32_t (*run)(void* ctx, Extraction* x, const RecordSink& writer);
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
  unsigned char* in;       // in_cap + kInflatePad bytes: compressed or stored data
  uint32_t in_cap;         // kInflateMinInput or more
  unsigned char* window;   // kInflateHistory + out_piece + kInflateSlack bytes
  uint32_t out_piece;      // more than 258
  const RecordCarrier* carrier;  // null: both halves on this thread

  // Output (the caller's storage).
  wchar_t* run_path;     // record of kind 1 (kPathChars), empty until met
  wchar_t* helper_path;  // the helper once in place (kPathChars)
  PathList* extracted;   // files this run created
  PathList* created;     // folders this run created, in order (the caller's first)
  // The path a failure concerns; null for the SFX file itself (damaged
  // data).
  const wchar_t* fail_path;

  // Work space of the reading half.
  uint64_t pos;
  Inflater inflater;
  unsigned char name[kNameMax];
  wchar_t wide[kNameMax + 1];

  // Work space of the writing half.
  EntryHead head;  // of the record being written
  size_t base_len;
  uint32_t existing;  // attributes of the file the record replaces
  bool pending;       // written under a temporary name
  uint64_t done;
  bool writing;           // false after a failure of the file system
  uint32_t fs_error;      // the first one
  uint32_t write_error;   // of the file being written
  FsFile file;            // being written
  PathList temps, finals;  // written under a temporary name, put in place at the end
  const wchar_t* root_for;  // the base root_final belongs to
  bool checked_made;        // `checked` was created by this run
  wchar_t path[kPathChars];
  wchar_t temp[kPathChars];
  wchar_t final_path[kPathChars];
  wchar_t root_final[kPathChars];  // of the folder being written below
  wchar_t checked[kPathChars];     // last folder found free of links
  wchar_t failed_at[kPathChars];   // the path of fs_error
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

// Extracts every record. Returns 0 or the code for the finish routine
// (with x->fail_path).
uint32_t run_extraction(Extraction* x);

// The reading half: every record from x->first_record to the terminator,
// handed to sink. Returns 0, or the code of damaged data.
uint32_t read_records(Extraction* x, const RecordSink& sink);

}  // namespace tw
