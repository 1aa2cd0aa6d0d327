#include "system_codes.h"

namespace tw::cli {

uint32_t windows_code_of(uint32_t system_error) { return system_error; }

}  // namespace tw::cli
