// Task Scheduler date-times: the local "yyyy-mm-ddThh:nn:ss" of registration dates
// and start boundaries, a start rounded to the minute, and boundaries read back.
#pragma once

#include <optional>
#include <string>

#include "platform/locale.h"

// "yyyy-mm-ddThh:nn:ss", local time, no zone suffix.
std::string TaskDateTime(const TLocalTime& time);
// The date plus its time rounded to the nearest minute, in date-time arithmetic:
// 23:59:40 gives 00:00 of the next day.
TLocalTime RoundToMinute(const TLocalTime& time);
// A boundary read back; a fraction of a second and a zone suffix ("Z", "+01:00")
// are ignored. Nothing when the text is not a date-time.
std::optional<TLocalTime> ParseTaskDateTime(const std::string& text);
// 0 Sunday to 6 Saturday.
int DayOfWeek(const TLocalTime& time);
