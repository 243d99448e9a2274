// Locale port: the user's collation (CompareStringEx), number format, month names
// (GetLocaleInfoEx), local clock (GetLocalTime) and ANSI code page (MultiByteToWideChar).
#pragma once

#include "platform/locale.h"

class TWin32Locale : public ILocale {
 public:
  int CompareText(const std::string& a, const std::string& b) override;
  std::string DecimalSeparator() override;
  std::string LongMonthName(int month) override;
  TLocalTime LocalNow() override;
  std::string AnsiToUtf8(const std::string& bytes) override;
};
