#pragma once
// The words an error box shows for a failed build.
#include <string>

#include "build_error.h"

namespace tw {

std::wstring describe(const BuildError& e);

}  // namespace tw
