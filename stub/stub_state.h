#pragma once
// What the stub knows during its one run. A single instance lives in .bss
// (zero at start, no constructor or destructor runs); the steps of the run
// fill it in order. Its handles last as long as the process.
#include <stdint.h>
#include <windows.h>

#include "container_format.h"
#include "extract_pass.h"
#include "own_file.h"
#include "path_list.h"
#include "texts.h"

// Characters in every path buffer (the longest path Windows handles).
const DWORD kPathCap = tw::kPathChars;

struct StubState {
  wchar_t own_path[kPathCap];
  OwnFile file;
  uint64_t container_start;
  tw::OptionHeader header;
  bool header_read;
  UINT code_page;  // of the stored names and texts
  // The header's texts, decoded once (an undecodable one is damage).
  wchar_t run_id[tw::kRunIdDigits + 1];
  wchar_t custom_folder[tw::kCustomFolderMax + 1];
  wchar_t parameters[tw::kParametersMax + 1];
  HANDLE mutex;  // of the one-instance check, null when none
  const StubTexts* texts;
  int64_t total;  // sum of the size fields
  int64_t done;   // raw bytes handled so far
  wchar_t folder[kPathCap];       // extraction folder, ends with a backslash
  wchar_t run_path[kPathCap];     // record of kind 1, empty until met
  wchar_t helper_path[kPathCap];  // the helper, once written
  PathList extracted;             // files this run created
  PathList created;               // folders created by this run, in order
};

extern StubState g_stub;

// A step's result: 0 to go on, kQuietEnd to end at once with code 0 and no
// message, any other value a Windows error code for the finish routine
// (with the text in g_fail_text).
const DWORD kQuietEnd = 0xFFFFFFFFu;

extern wchar_t g_fail_text[kPathCap];

// Sets the failure text and returns code.
DWORD fail(const wchar_t* text, DWORD code);

// Exit codes the stub reports itself (Windows error numbers).
// Damaged data: 13, 23, 8 and 160 (extract_pass.h).
using tw::kCodeChecksum;
using tw::kCodeChunkTooLarge;
using tw::kCodeDamaged;
using tw::kCodeInflate;
const DWORD kCodeNoContainer = 38;     // ERROR_HANDLE_EOF
const DWORD kCodeNoRunFile = 87;       // ERROR_INVALID_PARAMETER
const DWORD kCodeDiskFull = 112;       // ERROR_DISK_FULL
const DWORD kCodeSecondInstance = 1152;  // ERROR_SINGLE_INSTANCE_APP
