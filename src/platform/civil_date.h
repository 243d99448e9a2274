// Dates of the proleptic Gregorian calendar as day counts since 1970-01-01 and as
// FILETIMEs (100-nanosecond ticks since 1601-01-01), after Howard Hinnant's
// days-from-civil algorithms; valid for negative day counts too.
#pragma once

#include <cstdint>

struct TCivilDate {
  int64_t year = 1970;
  int64_t month = 1;  // 1 to 12
  int64_t day = 1;    // 1 to 31
  friend constexpr bool operator==(const TCivilDate&, const TCivilDate&) = default;
};

constexpr uint64_t FILETIME_TICKS_PER_DAY = 864000000000ULL;
constexpr int64_t DAYS_1601_TO_1970 = 134774;

// A day past the end of its month counts on into the next: 2021-02-29 is 2021-03-01.
constexpr int64_t DaysFromCivil(const TCivilDate& date) {
  const int64_t year = date.year - (date.month <= 2 ? 1 : 0);
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (date.month > 2 ? date.month - 3 : date.month + 9) + 2) / 5 + date.day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

constexpr TCivilDate CivilFromDays(int64_t days) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t dayOfEra = days - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  const int64_t month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
  return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, dayOfYear - (153 * monthIndex + 2) / 5 + 1};
}

// The date on which a FILETIME falls.
constexpr TCivilDate CivilFromFileTime(uint64_t fileTime) {
  return CivilFromDays(static_cast<int64_t>(fileTime / FILETIME_TICKS_PER_DAY) - DAYS_1601_TO_1970);
}

// Midnight at the start of a date from 1601-01-01 on.
constexpr uint64_t FileTimeFromCivil(const TCivilDate& date) {
  return static_cast<uint64_t>(DaysFromCivil(date) + DAYS_1601_TO_1970) * FILETIME_TICKS_PER_DAY;
}
