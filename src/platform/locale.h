// Locale port: the user's collation, number format, month and day names, short date
// format, local clock and ANSI code page.
#pragma once

#include <string>

// A moment of the local wall clock, to the second.
struct TLocalTime {
  int year = 0;
  int month = 1;  // 1 to 12
  int day = 1;
  int hour = 0;  // 0 to 23
  int minute = 0;
  int second = 0;

  bool operator==(const TLocalTime&) const = default;
};

class ILocale {
 public:
  virtual ~ILocale() = default;
  // Case-insensitive comparison in the user's collation: <0, 0 or >0.
  virtual int CompareText(const std::string& a, const std::string& b) = 0;
  // The user's decimal separator.
  virtual std::string DecimalSeparator() = 0;
  // The full name of a month (1 to 12) in the user's language.
  virtual std::string LongMonthName(int month) = 0;
  // The full name of a weekday (0 Sunday to 6 Saturday) in the user's language.
  virtual std::string LongDayName(int dayOfWeek) = 0;
  // A date in the user's short date format.
  virtual std::string ShortDate(int year, int month, int day) = 0;
  // The current local time.
  virtual TLocalTime LocalNow() = 0;
  // Bytes in the system's ANSI code page (CP_ACP) as UTF-8.
  virtual std::string AnsiToUtf8(const std::string& bytes) = 0;
};
