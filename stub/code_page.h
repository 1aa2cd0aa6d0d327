#pragma once
// The code page of the names and texts stored in the SFX file. The maker
// records it as the resource RCDATA "CODEPAGE" (4 bytes, little-endian);
// an SFX file without it was made in the system's code page.
#include <windows.h>

UINT stored_code_page();
