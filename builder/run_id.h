#pragma once
// Random run identifiers: they name the one-instance mutex of an SFX file.
#include <stdint.h>

namespace tw {

// Seeded once at start-up from the clock.
void seed_run_ids(uint64_t seed);
// A number from 0 to 2,147,483,646.
uint32_t next_run_id();

}  // namespace tw
