#pragma once
// Packed DOS date-times, as FileTimeToDosDateTime makes them: the date in
// the high 16 bits (years since 1980 << 9 | month << 5 | day), the time in
// the low 16 bits (hour << 11 | minute << 5 | seconds / 2, an odd second
// rounded down). A time before 1980 or after 2107 has no such form: 0, as
// Windows leaves it when the conversion fails.
#include <stdint.h>

namespace tw {

// local_seconds: a local time as seconds since 1970-01-01 00:00 (the Unix
// time plus the zone's offset).
uint32_t dos_time_from_local(int64_t local_seconds);

}  // namespace tw
