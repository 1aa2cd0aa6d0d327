#include "dos_time.h"

namespace tw {

namespace {

int64_t floor_div(int64_t a, int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

// The civil date of a day number (days since 1970-01-01), proleptic
// Gregorian calendar.
void civil_from_days(int64_t days, int64_t* year, unsigned* month, unsigned* day) {
  days += 719468;  // days from 0000-03-01
  int64_t era = floor_div(days, 146097);
  unsigned doe = unsigned(days - era * 146097);                             // [0, 146096]
  unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;     // [0, 399]
  unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);                   // [0, 365]
  unsigned mp = (5 * doy + 2) / 153;                                        // [0, 11], March first
  *day = doy - (153 * mp + 2) / 5 + 1;
  *month = mp < 10 ? mp + 3 : mp - 9;
  *year = int64_t(yoe) + era * 400 + (*month <= 2);
}

}  // namespace

uint32_t dos_time_from_local(int64_t local_seconds) {
  int64_t days = floor_div(local_seconds, 86400);
  unsigned second_of_day = unsigned(local_seconds - days * 86400);
  int64_t year;
  unsigned month, day;
  civil_from_days(days, &year, &month, &day);
  if (year < 1980 || year > 2107) return 0;
  uint32_t date = uint32_t(year - 1980) << 9 | month << 5 | day;
  unsigned hour = second_of_day / 3600, minute = second_of_day / 60 % 60, second = second_of_day % 60;
  return date << 16 | hour << 11 | minute << 5 | second / 2;
}

}  // namespace tw
