#include "engine/driver_facts.h"

#include <charconv>
#include <cstdio>
#include <vector>

#include "platform/civil_date.h"

namespace {

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
  const TCivilDate date = CivilFromFileTime(fileTime);
  char text[32];
  std::snprintf(text, sizeof(text), "%04lld-%02lld-%02lld", static_cast<long long>(date.year),
                static_cast<long long>(date.month), static_cast<long long>(date.day));
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
  const TCivilDate date{static_cast<int64_t>(year), static_cast<int64_t>(month), static_cast<int64_t>(day)};
  if (CivilFromDays(DaysFromCivil(date)).day != date.day) return std::nullopt;  // e.g. 2-30-2020
  return FileTimeFromCivil(date);
}
