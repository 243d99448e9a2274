// Locale port: the user's collation (CompareStringEx), number format, month names
// (GetLocaleInfoEx) and local clock (GetLocalTime).
#pragma once

#include "platform/locale.h"

class TWin32Locale : public ILocale {
 public:
  int CompareText(const std::string& a, const std::string& b) override;
  std::string DecimalSeparator() override;
  std::string LongMonthName(int month) override;
  TLocalTime LocalNow() override;
};
