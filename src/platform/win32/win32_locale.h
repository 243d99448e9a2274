// Locale port: the user's collation (CompareStringEx) and number format.
#pragma once

#include "platform/locale.h"

class TWin32Locale : public ILocale {
 public:
  int CompareText(const std::string& a, const std::string& b) override;
  std::string DecimalSeparator() override;
};
