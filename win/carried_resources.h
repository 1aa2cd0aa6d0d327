#pragma once
// The four files the maker carries in its own resources.
#include "carried_files.h"

namespace tw {

// Loads the four in this order; false as soon as one is missing or empty
// (the later ones are not tried). Then the English usage text, if there.
bool load_carried_resources(CarriedResources* out);

}  // namespace tw
