// Native locale: collation by Unicode case fold, a chosen decimal separator.
#pragma once

#include "platform/locale.h"
#include "platform/sim/unicode_fold.h"

class TSimLocale : public ILocale {
 public:
  std::string decimalSeparator = ".";

  int CompareText(const std::string& a, const std::string& b) override {
    return CompareFolded(a, b);
  }
  std::string DecimalSeparator() override { return decimalSeparator; }
};
