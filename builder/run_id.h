#pragma once
// Run identifiers: they name the one-instance mutex and the temporary
// folder of an SFX file. The header stores one as 10 uppercase hexadecimal
// digits. Random by default; a build that must be repeatable byte for byte
// is given one, or derives it from SOURCE_DATE_EPOCH.
#include <stdint.h>

#include <string>

namespace tw {

// Seeded once at start-up from the clock.
void seed_run_ids(uint64_t seed);
// A number from 0 to 2,147,483,646.
uint32_t next_run_id();

// Exactly 10 characters 0-9 and A-F.
bool is_run_id_text(const std::string& text);
// The run id of a SOURCE_DATE_EPOCH value (decimal seconds since 1970):
// the value modulo 2,147,483,647, in the header's form (so it stays in the
// range of the random ones). Empty when the value is not a decimal number.
std::string run_id_from_source_date_epoch(const char* value);

}  // namespace tw
