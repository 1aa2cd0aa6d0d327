#pragma once
// Where the files go: the folder chosen by the header (temporary, desktop,
// documents, current, asked, custom), made absolute, checked for room.
#include <windows.h>

// Fills g_stub.folder (absolute, ending with a backslash). Returns 0,
// kQuietEnd when the user cancelled the folder dialog, or an error code.
DWORD choose_extraction_folder();

// True when the header chooses the temporary folder (made by
// make_run_folder, not by the folder tree).
bool extracts_to_temporary_folder();

// Code 112 with "X:\   [free < needed]" when the folder's drive has less
// room than the data needs. Nothing when its free space cannot be read.
DWORD check_free_space();
