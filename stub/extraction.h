#pragma once
// The measuring pass and the extraction pass over the entry records.
#include <windows.h>

// Walks the records once without reading data: checks names and lengths
// and sums the sizes into g_stub.total. Code 13 for damaged or empty data.
DWORD measure_container();

// Recreates every folder and file under g_stub.folder (the helper record
// under the temporary folder), checking each record as it goes; damaged
// data leaves nothing of the run behind. Returns 0 or the code for the
// finish routine.
DWORD extract_container();
