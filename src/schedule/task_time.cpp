#include "schedule/task_time.h"

#include <cstdio>

#include "platform/civil_date.h"

std::string TaskDateTime(const TLocalTime& time) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", time.year, time.month, time.day, time.hour,
                time.minute, time.second);
  return text;
}

TLocalTime RoundToMinute(const TLocalTime& time) {
  int64_t days = DaysFromCivil({time.year, time.month, time.day});
  int64_t minutes = (int64_t{time.hour} * 3600 + int64_t{time.minute} * 60 + time.second + 30) / 60;
  days += minutes / 1440;
  minutes %= 1440;
  const TCivilDate date = CivilFromDays(days);
  return {static_cast<int>(date.year), static_cast<int>(date.month), static_cast<int>(date.day),
          static_cast<int>(minutes / 60), static_cast<int>(minutes % 60), 0};
}

namespace {

// Reads `count` digits at `pos` into value.
bool Digits(const std::string& text, size_t pos, size_t count, int& value) {
  if (pos + count > text.size()) return false;
  value = 0;
  for (size_t i = pos; i < pos + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

}  // namespace

std::optional<TLocalTime> ParseTaskDateTime(const std::string& text) {
  TLocalTime time;
  if (!Digits(text, 0, 4, time.year) || text.size() < 19 || text[4] != '-' || !Digits(text, 5, 2, time.month) ||
      text[7] != '-' || !Digits(text, 8, 2, time.day) || text[10] != 'T' || !Digits(text, 11, 2, time.hour) ||
      text[13] != ':' || !Digits(text, 14, 2, time.minute) || text[16] != ':' || !Digits(text, 17, 2, time.second))
    return std::nullopt;
  if (time.month < 1 || time.month > 12 || time.day < 1 || time.day > 31 || time.hour > 23 || time.minute > 59 ||
      time.second > 59)
    return std::nullopt;
  size_t pos = 19;
  if (pos < text.size() && text[pos] == '.') {
    ++pos;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') ++pos;
  }
  const std::string zone = text.substr(pos);
  int zoneHour = 0;
  int zoneMinute = 0;
  const bool offset = zone.size() == 6 && (zone[0] == '+' || zone[0] == '-') && Digits(zone, 1, 2, zoneHour) &&
                      zone[3] == ':' && Digits(zone, 4, 2, zoneMinute);
  if (!zone.empty() && zone != "Z" && !offset) return std::nullopt;
  return time;
}

int DayOfWeek(const TLocalTime& time) {
  // 1970-01-01 was a Thursday.
  const int64_t days = DaysFromCivil({time.year, time.month, time.day});
  return static_cast<int>(((days % 7) + 7 + 4) % 7);
}
