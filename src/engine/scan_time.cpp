#include "engine/scan_time.h"

#include <cstdio>

std::string FormatScanTime(const TLocalTime& time, ILocale& locale) {
  const int hour12 = time.hour % 12 == 0 ? 12 : time.hour % 12;
  char rest[40];
  std::snprintf(rest, sizeof(rest), " %02d, %04d %02d:%02d %s", time.day, time.year, hour12, time.minute,
                time.hour < 12 ? "am" : "pm");
  return locale.LongMonthName(time.month) + rest;
}

std::string ScanTimeNow(ILocale& locale) { return FormatScanTime(locale.LocalNow(), locale); }
