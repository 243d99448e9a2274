// Native locale: collation by Unicode case fold, a chosen decimal separator, month
// and day names and a short date pattern (d, dd, M, MM, yy, yyyy) a test may replace, the real local clock unless a test fixes the time, and
// Windows-1252 as the ANSI code page.
#pragma once

#include <array>
#include <algorithm>
#include <ctime>
#include <optional>

#include "platform/locale.h"
#include "platform/sim/unicode_fold.h"
#include "platform/sim/windows_1252.h"

class TSimLocale : public ILocale {
 public:
  std::string decimalSeparator = ".";
  std::array<std::string, 12> monthNames = {"January", "February", "March",     "April",   "May",      "June",
                                            "July",    "August",   "September", "October", "November", "December"};
  std::array<std::string, 7> dayNames = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  std::string shortDateFormat = "M/d/yyyy";
  std::optional<TLocalTime> fixedTime;

  int CompareText(const std::string& a, const std::string& b) override {
    return CompareFolded(a, b);
  }
  std::string DecimalSeparator() override { return decimalSeparator; }
  std::string LongMonthName(int month) override {
    return month >= 1 && month <= 12 ? monthNames[static_cast<size_t>(month - 1)] : std::string();
  }
  std::string LongDayName(int dayOfWeek) override {
    return dayOfWeek >= 0 && dayOfWeek <= 6 ? dayNames[static_cast<size_t>(dayOfWeek)] : std::string();
  }
  std::string ShortDate(int year, int month, int day) override {
    std::string text;
    for (size_t i = 0; i < shortDateFormat.size();) {
      const char letter = shortDateFormat[i];
      size_t count = 1;
      while (i + count < shortDateFormat.size() && shortDateFormat[i + count] == letter) ++count;
      const int value = letter == 'd' ? day : letter == 'M' ? month : letter == 'y' ? year : -1;
      if (value < 0) {
        text.append(count, letter);
      } else {
        std::string digits = std::to_string(letter == 'y' && count == 2 ? value % 100 : value);
        if (digits.size() < std::min<size_t>(count, 4)) digits.insert(0, std::min<size_t>(count, 4) - digits.size(), '0');
        text += digits;
      }
      i += count;
    }
    return text;
  }
  TLocalTime LocalNow() override {
    if (fixedTime) return *fixedTime;
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
  }
  std::string AnsiToUtf8(const std::string& bytes) override { return Windows1252ToUtf8(bytes); }
};
