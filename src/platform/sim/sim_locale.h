// Native locale: collation by Unicode case fold, a chosen decimal separator, month
// names a test may replace, the real local clock unless a test fixes the time, and
// Windows-1252 as the ANSI code page.
#pragma once

#include <array>
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
  std::optional<TLocalTime> fixedTime;

  int CompareText(const std::string& a, const std::string& b) override {
    return CompareFolded(a, b);
  }
  std::string DecimalSeparator() override { return decimalSeparator; }
  std::string LongMonthName(int month) override {
    return month >= 1 && month <= 12 ? monthNames[static_cast<size_t>(month - 1)] : std::string();
  }
  TLocalTime LocalNow() override {
    if (fixedTime) return *fixedTime;
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min};
  }
  std::string AnsiToUtf8(const std::string& bytes) override { return Windows1252ToUtf8(bytes); }
};
