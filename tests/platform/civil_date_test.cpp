#include "platform/civil_date.h"

#include <gtest/gtest.h>

namespace {

TEST(CivilDate, KnownDaysAcrossLeapYearsMonthEndsAndTheEpoch) {
  struct Case {
    TCivilDate date;
    int64_t days;
  } cases[] = {
      {{1970, 1, 1}, 0},         {{1969, 12, 31}, -1},     {{1970, 3, 1}, 59},
      {{1999, 12, 31}, 10956},   {{2000, 2, 29}, 11016},   {{2000, 3, 1}, 11017},
      {{1900, 2, 28}, -25509},   {{1900, 3, 1}, -25508},   {{2023, 2, 28}, 19416},
      {{2023, 3, 1}, 19417},     {{2024, 2, 29}, 19782},   {{2100, 2, 28}, 47540},
      {{2100, 3, 1}, 47541},     {{1601, 1, 1}, -134774},  {{1, 1, 1}, -719162},
      {{0, 3, 1}, -719468},      {{0, 2, 29}, -719469},    {{0, 1, 1}, -719528},
      {{-1, 12, 31}, -719529},   {{9999, 12, 31}, 2932896},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DaysFromCivil(c.date), c.days) << c.date.year << "-" << c.date.month << "-" << c.date.day;
    EXPECT_EQ(CivilFromDays(c.days), c.date) << c.days;
  }
}

// Walks day by day over four centuries on both sides of the epoch, checking each date
// against month lengths and the leap-year rule kept here independently.
TEST(CivilDate, EveryDayFollowsTheCalendar) {
  auto isLeap = [](int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; };
  auto monthLength = [&](int64_t year, int64_t month) -> int64_t {
    constexpr int64_t lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeap(year) ? 29 : lengths[month - 1];
  };
  TCivilDate expected{1600, 1, 1};
  for (int64_t days = DaysFromCivil(expected); expected.year < 2401; ++days) {
    ASSERT_EQ(CivilFromDays(days), expected) << days;
    ASSERT_EQ(DaysFromCivil(expected), days);
    if (++expected.day > monthLength(expected.year, expected.month)) {
      expected.day = 1;
      if (++expected.month > 12) {
        expected.month = 1;
        ++expected.year;
      }
    }
  }
}

TEST(CivilDate, FileTimes) {
  EXPECT_EQ(FileTimeFromCivil({1601, 1, 1}), 0u);
  EXPECT_EQ(FileTimeFromCivil({1970, 1, 1}), 116444736000000000u);
  EXPECT_EQ(CivilFromFileTime(0), (TCivilDate{1601, 1, 1}));
  EXPECT_EQ(CivilFromFileTime(116444736000000000u), (TCivilDate{1970, 1, 1}));
  const uint64_t march4 = FileTimeFromCivil({2021, 3, 4});
  EXPECT_EQ(CivilFromFileTime(march4 + FILETIME_TICKS_PER_DAY - 1), (TCivilDate{2021, 3, 4})) << "the last tick of the day";
  EXPECT_EQ(CivilFromFileTime(march4 - 1), (TCivilDate{2021, 3, 3}));
  EXPECT_EQ(FileTimeFromCivil({2021, 2, 29}), FileTimeFromCivil({2021, 3, 1})) << "a day past the month's end counts on";
}

}  // namespace
