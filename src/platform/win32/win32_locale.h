// Locale port: the user's collation (CompareStringEx), number format, month and day
// names (GetLocaleInfoEx), short dates (GetDateFormatEx), local clock (GetLocalTime) and ANSI code page (MultiByteToWideChar).
#pragma once

#include "platform/locale.h"

class TWin32Locale : public ILocale {
 public:
  int CompareText(const std::string& a, const std::string& b) override;
  std::string DecimalSeparator() override;
  std::string LongMonthName(int month) override;
  std::string LongDayName(int dayOfWeek) override;
  std::string ShortDate(int year, int month, int day) override;
  TLocalTime LocalNow() override;
  std::string AnsiToUtf8(const std::string& bytes) override;
};
