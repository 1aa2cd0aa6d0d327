#pragma once
// The temporary run folder "%TEMP%\~sfx<run id>\": the run identifier can be
// read from the SFX file, so anyone could make that folder first and plant
// files in it. The stub therefore only ever uses a folder that it created
// itself in this run: when the name is taken it adds a random suffix from
// the system's generator and tries again, and never reuses a folder. When
// the stub runs elevated, only administrators and SYSTEM may write there.
#include <windows.h>

// g_stub.folder holds the wanted name (ending with a backslash); on success
// it holds the folder made, which is listed among the created folders.
DWORD make_run_folder();
