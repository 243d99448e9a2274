#include "platform/guid.h"

#include <gtest/gtest.h>

namespace {

// GUID_DEVCLASS_NET as the Windows structure lays it out in memory.
constexpr TGuid NET = {0x72, 0xE9, 0x36, 0x4D, 0x25, 0xE3, 0xCE, 0x11,
                       0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18};

TEST(Guid, ParsesWithAndWithoutBracesInEitherCase) {
  const char* texts[] = {
      "{4D36E972-E325-11CE-BFC1-08002BE10318}",
      "{4d36e972-e325-11ce-bfc1-08002be10318}",
      "4D36E972-E325-11CE-BFC1-08002BE10318",
      "4d36E972-e325-11Ce-bFC1-08002bE10318",
  };
  for (const char* text : texts) EXPECT_EQ(ParseGuid(text), NET) << text;
  EXPECT_EQ(ParseGuid("{00000000-0000-0000-0000-000000000000}"), TGuid{});
}

TEST(Guid, RejectsWrongLengthsSeparatorsAndDigits) {
  const char* texts[] = {
      "",
      "{}",
      "4D36E972E32511CEBFC108002BE10318",        // the digits alone
      "{4D36E972E32511CEBFC108002BE10318}",
      "{4D36E972-E325-11CE-BFC1-08002BE1031}",   // one digit short
      "4D36E972-E325-11CE-BFC1-08002BE103180",   // one digit more
      "{4D36E972-E325-11CE-BFC1-08002BE10318",   // one brace
      "4D36E972-E325-11CE-BFC1-08002BE10318}",
      "(4D36E972-E325-11CE-BFC1-08002BE10318)",
      "{4D36E972-E325-11CE-BFC1-08002BE10318}x",
      "{4D36E972E-325-11CE-BFC1-08002BE10318}",  // a hyphen out of place
      "4D36E972-E325-11CE-BFC108-002BE10318",
      "4D36E972 E325 11CE BFC1 08002BE10318",
      "4D36E972-E325-11CE-BFC1-08002BE1031G",    // not hexadecimal
      "+D36E972-E325-11CE-BFC1-08002BE10318",
      "4D36E972-E325-11CE-BFC1-08002BE1031 ",
      "0x36E972-E325-11CE-BFC1-08002BE10318",
  };
  for (const char* text : texts) EXPECT_EQ(ParseGuid(text), std::nullopt) << text;
}

}  // namespace
