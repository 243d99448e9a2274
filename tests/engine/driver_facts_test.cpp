#include <gtest/gtest.h>

#include "engine/driver_facts.h"

namespace {

TEST(DriverFacts, VersionsFormatAndParseAsFourSixteenBitParts) {
  EXPECT_EQ(FormatDriverVersion(0x000A000000004E20ULL), "10.0.0.20000");
  EXPECT_EQ(FormatDriverVersion(0xFFFF000100020003ULL), "65535.1.2.3");
  struct TCase {
    const char* text;
    std::optional<uint64_t> version;
  };
  for (const TCase& entry : {TCase{"10.0.0.20000", 0x000A000000004E20ULL}, TCase{"1.2", 0x0001000200000000ULL},
                             TCase{"65536.0.0.0", std::nullopt}, TCase{"1.2.3.4.5", std::nullopt},
                             TCase{"", std::nullopt}, TCase{"1..2", std::nullopt}, TCase{"v1.0", std::nullopt}})
    EXPECT_EQ(ParseDriverVersion(entry.text), entry.version) << entry.text;
}

TEST(DriverFacts, DatesFormatAsIsoAndParseFromTheDriverKeyForm) {
  EXPECT_EQ(FormatDriverDate(0), "1601-01-01");
  EXPECT_EQ(FormatDriverDate(132592896000000000ULL), "2021-03-04");
  EXPECT_EQ(FormatDriverDate(132592896000000000ULL + 863999999999ULL), "2021-03-04");
  EXPECT_EQ(FormatDriverDate(UNKNOWN_DRIVER_DATE), "");
  struct TCase {
    const char* text;
    const char* formatted;  // nullptr: rejected
  };
  for (const TCase& entry : {TCase{"3-4-2021", "2021-03-04"}, TCase{"12-31-1999", "1999-12-31"},
                             TCase{"2-29-2024", "2024-02-29"}, TCase{"2-29-2023", nullptr},
                             TCase{"13-1-2020", nullptr}, TCase{"2021-03-04", nullptr}, TCase{"3/4/2021", nullptr}}) {
    auto parsed = ParseDriverDate(entry.text);
    if (entry.formatted == nullptr) {
      EXPECT_FALSE(parsed) << entry.text;
    } else {
      ASSERT_TRUE(parsed) << entry.text;
      EXPECT_EQ(FormatDriverDate(*parsed), entry.formatted);
    }
  }
}

}  // namespace
