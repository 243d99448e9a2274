// Locale port: the user's collation and number format.
#pragma once

#include <string>

class ILocale {
 public:
  virtual ~ILocale() = default;
  // Case-insensitive comparison in the user's collation: <0, 0 or >0.
  virtual int CompareText(const std::string& a, const std::string& b) = 0;
  // The user's decimal separator.
  virtual std::string DecimalSeparator() = 0;
};
