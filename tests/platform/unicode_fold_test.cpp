#include <gtest/gtest.h>

#include "platform/sim/unicode_fold.h"

namespace {

TEST(UnicodeFold, CompareIgnoresCaseBeyondAscii) {
  struct Case {
    const char* a;
    const char* b;
    int expected;
  } cases[] = {
      {"PCI\\VEN_8086", "pci\\ven_8086", 0},
      {"ÄÖÜ", "äöü", 0},
      {"ŁÓDŹ", "łódź", 0},
      {"ΣΟΦΙΑ", "σοφια", 0},
      {"МОСКВА", "москва", 0},
      {"ЁЖ", "ёж", 0},
      {"a", "B", -1},
      {"b", "A", 1},
      {"abc", "ab", 1},
      {"AB", "abc", -1},
      {"\xC3\xA9", "Z", 1},  // by folded code point: U+00E9 after z
      {"\xC3\x89t", "\xC3\xA9T", 0},
      {"\xC3", "\xC3\x89", -1},  // the lone byte folds as U+00C3 to U+00E3, before U+00E9
      {"", "", 0},
      {"\xFF\xFE", "\xFF\xFE", 0},  // malformed bytes compare as themselves
      {"\xC3", "\xC3", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(CompareFolded(c.a, c.b), c.expected) << c.a << " / " << c.b;
}

}  // namespace
