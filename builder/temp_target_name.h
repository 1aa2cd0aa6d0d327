#pragma once
// The name a new SFX file is written under until it is complete:
// "<target name>.~tw<8 hexadecimal digits>.tmp", in the target's folder. A
// build that was killed leaves such a file behind; the next build of the
// same target recognises it by this form and removes it.
#include <stdint.h>

#include <string>

namespace tw {

std::wstring temp_target_name(const std::wstring& target_name, uint32_t number);

// True when name is temp_target_name(target_name, n) for some n; letters
// compare without regard to case, as file names do.
bool is_temp_target_name(const std::wstring& name, const std::wstring& target_name);

}  // namespace tw
