#pragma once
// The words an error box shows for a failed build.
#include <string>

#include "build_error.h"

namespace tw {

std::wstring describe(const BuildError& e);

// Called inside a catch block: the words for the exception being handled
// when it is a BuildError, a lack of memory or another std::exception; any
// other exception goes on to the caller's caller.
std::wstring describe_current_exception();

}  // namespace tw
