// The text that describes a trigger ("At 09:00 every Monday, Friday of every week,
// starting 3/4/2024"): times "hh:nn" on the 24-hour clock, dates in the user's
// short date format, day names in the user's language, texts from the string table.
#pragma once

#include <string>

#include "platform/locale.h"
#include "platform/string_table.h"
#include "schedule/win_task.h"

// `start` is the trigger's start boundary as read back (now when it has none).
std::string DescribeTrigger(const TTriggerFacts& trigger, const TLocalTime& start, ILocale& locale,
                            IStringTable& strings);

// The names of the set weekday bits, Sunday to Saturday, separated by ", ".
std::string WeekdayList(int16_t daysOfWeek, ILocale& locale);
