#pragma once
// English words for the Windows error codes the console tool reports, the
// same on every system (a POSIX failure is first mapped to its Windows
// code), so that scripts see one text for one fault.
#include <stdint.h>

#include <string>

namespace tw::cli {

// "access denied (code 5)"; unknown codes as "system error 1234".
std::string error_words(uint32_t code);
// What a code means when the pass found damaged data: "checksum mismatch
// (code 23)".
std::string damage_words(uint32_t code);

}  // namespace tw::cli
