#include "platform/ascii_case.h"

#include <gtest/gtest.h>

namespace {

// The bytes next to the letter ranges, and UTF-8 and Latin-1 letters whose low
// seven bits are ASCII letters: none of them may change.
constexpr const char* UNTOUCHED = "@[`{09_ \xC3\x84\xC3\xA4\xC1\xDA\xE1\xFA\x80\xFF";

TEST(AsciiCase, OnlyAsciiLettersChange) {
  EXPECT_EQ(AsciiLower("PCI\\VEN_8086&DEV_15B8"), "pci\\ven_8086&dev_15b8");
  EXPECT_EQ(AsciiUpper("setup.exe"), "SETUP.EXE");
  EXPECT_EQ(AsciiLower(UNTOUCHED), UNTOUCHED);
  EXPECT_EQ(AsciiUpper(UNTOUCHED), UNTOUCHED);
  EXPECT_EQ(AsciiLower("\xC3\x84rger"), "\xC3\x84rger") << "a UTF-8 capital stays a capital";
  for (int byte = 0; byte < 256; ++byte) {
    const char c = static_cast<char>(byte);
    const bool upper = c >= 'A' && c <= 'Z', lower = c >= 'a' && c <= 'z';
    EXPECT_EQ(AsciiLower(c), upper ? static_cast<char>(byte + 32) : c) << byte;
    EXPECT_EQ(AsciiUpper(c), lower ? static_cast<char>(byte - 32) : c) << byte;
  }
}

TEST(AsciiCase, ComparisonsFoldBothSides) {
  struct Case {
    const char* a;
    const char* b;
    int order;
  } cases[] = {
      {"Unknown", "UNKNOWN", 0},
      {"", "", 0},
      {"Display", "display adapters", -1},  // a prefix comes first
      {"Net", "NET", 0},
      {"_", "a", -1},                 // '_' sorts before the lower-case letters, after the capitals
      {"_", "A", -1},
      {"Z", "a", 1},
      {"a", "\xC3\xA4", -1},          // bytes above 0x7F sort last, compared unsigned
      {"\xC3\x84", "\xC3\xA4", -1},   // "Ä" and "ä" differ
      {"b", "A", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CompareIgnoringAsciiCase(c.a, c.b), c.order) << c.a << " / " << c.b;
    EXPECT_EQ(CompareIgnoringAsciiCase(c.b, c.a), -c.order) << c.b << " / " << c.a;
    EXPECT_EQ(EqualsIgnoringAsciiCase(c.a, c.b), c.order == 0) << c.a << " / " << c.b;
  }
}

TEST(AsciiCase, Prefixes) {
  EXPECT_TRUE(StartsWithIgnoringAsciiCase("HTTP://host/", "http://"));
  EXPECT_TRUE(StartsWithIgnoringAsciiCase("PID:12", "pid"));
  EXPECT_TRUE(StartsWithIgnoringAsciiCase("anything", ""));
  EXPECT_FALSE(StartsWithIgnoringAsciiCase("htt", "http://"));
  EXPECT_FALSE(StartsWithIgnoringAsciiCase("https://", "http://"));
  EXPECT_FALSE(StartsWithIgnoringAsciiCase("\xC3\x84x", "\xC3\xA4"));
}

}  // namespace
