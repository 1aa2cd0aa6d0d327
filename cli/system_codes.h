#pragma once
// The console tool words every system error by its Windows code
// (error_words.h): a POSIX errno is mapped to the Windows code of the same
// fault first, so that scripts see one text for one fault on both systems.
#include <stdint.h>

namespace tw::cli {

// system_error: GetLastError() on Windows (returned as it is), errno on
// POSIX.
uint32_t windows_code_of(uint32_t system_error);

}  // namespace tw::cli
