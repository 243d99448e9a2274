#include "schedule/trigger_text.h"

#include <cstdio>

#include "res/string_ids.h"
#include "schedule/task_time.h"
#include "schedule/text_format.h"

namespace {

// The table's text formatted, or "Format error: " and the format.
std::string Format(IStringTable& strings, int id, const std::vector<TFormatArg>& args) {
  const std::string format = strings.Load(id);
  if (auto text = FormatArgs(format, args)) return *text;
  return strings.Load(IDS_FORMAT_ERROR) + format;
}

std::string ClockTime(const TLocalTime& time) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d:%02d", time.hour % 100, time.minute % 100);
  return text;
}

std::string Date(const TLocalTime& time, ILocale& locale) { return locale.ShortDate(time.year, time.month, time.day); }

}  // namespace

std::string WeekdayList(int16_t daysOfWeek, ILocale& locale) {
  std::string list;
  for (int day = 0; day < 7; ++day) {
    if ((daysOfWeek & (1 << day)) == 0) continue;
    if (!list.empty()) list += ", ";
    list += locale.LongDayName(day);
  }
  return list;
}

std::string DescribeTrigger(const TTriggerFacts& trigger, const TLocalTime& start, ILocale& locale,
                            IStringTable& strings) {
  const std::string time = ClockTime(start);
  const std::string date = Date(start, locale);
  switch (trigger.type) {
    case ttTime:
      return Format(strings, IDS_TRIGGER_TIME, {time, date});
    case ttDaily: {
      if (trigger.daysInterval <= 1) return Format(strings, IDS_TRIGGER_DAILY, {time});
      std::string text = Format(strings, IDS_TRIGGER_DAILY_EVERY, {time, int64_t{trigger.daysInterval}});
      if (!trigger.repetitionInterval.empty())
        text += Format(strings, IDS_TRIGGER_REPEAT, {trigger.repetitionInterval, trigger.repetitionDuration});
      return text;
    }
    case ttWeekly: {
      const std::string days = WeekdayList(trigger.daysOfWeek, locale);
      if (trigger.weeksInterval <= 1) return Format(strings, IDS_TRIGGER_WEEKLY, {time, days, date});
      return Format(strings, IDS_TRIGGER_WEEKLY_EVERY, {time, days, int64_t{trigger.weeksInterval}, date});
    }
    case ttLogon:
    case ttBoot: {
      std::string text = trigger.type == ttBoot              ? strings.Load(IDS_TRIGGER_BOOT)
                         : trigger.userId.empty()            ? strings.Load(IDS_TRIGGER_LOGON_ANY)
                                                             : Format(strings, IDS_TRIGGER_LOGON, {trigger.userId});
      if (auto boundary = ParseTaskDateTime(trigger.startBoundary))
        text += Format(strings, IDS_TRIGGER_STARTING, {ClockTime(*boundary), Date(*boundary, locale)});
      return text;
    }
    default:
      return {};
  }
}
