#include "engine/driver_facts.h"

#include <charconv>
#include <cstdio>
#include <vector>

namespace {

constexpr uint64_t FILETIME_TICKS_PER_DAY = 864000000000ULL;
constexpr int64_t DAYS_1601_TO_1970 = 134774;

// Days since 1970-01-01 of a proleptic Gregorian date, and back (Howard Hinnant's algorithms).
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2 ? 1 : 0;
  int64_t era = (year >= 0 ? year : year - 399) / 400;
  int64_t yearOfEra = year - era * 400;
  int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(int64_t days, int64_t& year, int64_t& month, int64_t& day) {
  days += 719468;
  int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  int64_t dayOfEra = days - era * 146097;
  int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
  month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
  year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

// Splits text at a separator into unsigned numbers; nothing when a part is not a number.
std::optional<std::vector<uint64_t>> Numbers(const std::string& text, char separator) {
  std::vector<uint64_t> numbers;
  const char* position = text.data();
  const char* end = text.data() + text.size();
  for (;;) {
    uint64_t value = 0;
    auto [next, error] = std::from_chars(position, end, value);
    if (error != std::errc() || next == position) return std::nullopt;
    numbers.push_back(value);
    if (next == end) return numbers;
    if (*next != separator) return std::nullopt;
    position = next + 1;
  }
}

}  // namespace

std::string FormatDriverDate(uint64_t fileTime) {
  if (fileTime >= UNKNOWN_DRIVER_DATE) return {};
  int64_t year = 0, month = 0, day = 0;
  CivilFromDays(static_cast<int64_t>(fileTime / FILETIME_TICKS_PER_DAY) - DAYS_1601_TO_1970, year, month, day);
  char text[32];
  std::snprintf(text, sizeof(text), "%04lld-%02lld-%02lld", static_cast<long long>(year),
                static_cast<long long>(month), static_cast<long long>(day));
  return text;
}

std::string FormatDriverVersion(uint64_t version) {
  char text[32];
  std::snprintf(text, sizeof(text), "%d.%d.%d.%d", static_cast<int>((version >> 48) & 0xFFFF),
                static_cast<int>((version >> 32) & 0xFFFF), static_cast<int>((version >> 16) & 0xFFFF),
                static_cast<int>(version & 0xFFFF));
  return text;
}

std::optional<uint64_t> ParseDriverVersion(const std::string& text) {
  auto parts = Numbers(text, '.');
  if (!parts || parts->size() > 4) return std::nullopt;
  uint64_t version = 0;
  for (size_t i = 0; i < 4; ++i) {
    uint64_t part = i < parts->size() ? (*parts)[i] : 0;
    if (part > 0xFFFF) return std::nullopt;
    version = (version << 16) | part;
  }
  return version;
}

std::optional<uint64_t> ParseDriverDate(const std::string& text) {
  auto parts = Numbers(text, '-');
  if (!parts || parts->size() != 3) return std::nullopt;
  uint64_t month = (*parts)[0], day = (*parts)[1], year = (*parts)[2];
  if (month < 1 || month > 12 || day < 1 || year < 1601 || year > 30827) return std::nullopt;
  int64_t days = DaysFromCivil(static_cast<int64_t>(year), static_cast<int64_t>(month), static_cast<int64_t>(day));
  int64_t year2 = 0, month2 = 0, day2 = 0;
  CivilFromDays(days, year2, month2, day2);
  if (static_cast<uint64_t>(day2) != day) return std::nullopt;  // e.g. 2-30-2020
  return static_cast<uint64_t>(days + DAYS_1601_TO_1970) * FILETIME_TICKS_PER_DAY;
}
