#pragma once
// POSIX errors as the Windows codes the console tool reports (and the
// extraction pass works with).
#include <stdint.h>

namespace tw::cli {

uint32_t windows_error_of(int posix_errno);

}  // namespace tw::cli
