#pragma once
// The extraction pass's file-system table on Win32.
#include "file_system.h"

const tw::FileSystem* win32_file_system();
