#include <gtest/gtest.h>

#include "schedule/task_time.h"

namespace {

TEST(TaskTime, RoundsToTheNearestMinuteAcrossDays) {
  struct Case {
    TLocalTime time;
    const char* expected;
  } cases[] = {
      {{2024, 3, 4, 21, 7, 45}, "2024-03-04T21:08:00"},
      {{2024, 3, 4, 21, 7, 29}, "2024-03-04T21:07:00"},
      {{2024, 3, 4, 21, 7, 30}, "2024-03-04T21:08:00"},
      {{2024, 3, 4, 23, 59, 40}, "2024-03-05T00:00:00"},
      {{2024, 2, 28, 23, 59, 30}, "2024-02-29T00:00:00"},
      {{2023, 12, 31, 23, 59, 59}, "2024-01-01T00:00:00"},
      {{2024, 3, 4, 0, 0, 0}, "2024-03-04T00:00:00"},
  };
  for (const Case& c : cases) EXPECT_EQ(TaskDateTime(RoundToMinute(c.time)), c.expected) << c.expected;
}

TEST(TaskTime, ReadsBoundariesWithFractionOrZone) {
  struct Case {
    const char* text;
    std::optional<std::string> expected;
  } cases[] = {
      {"2024-03-04T09:00:00", "2024-03-04T09:00:00"},
      {"2024-03-04T09:00:15.1234567", "2024-03-04T09:00:15"},
      {"2024-03-04T09:00:00Z", "2024-03-04T09:00:00"},
      {"2024-03-04T09:00:00+01:00", "2024-03-04T09:00:00"},
      {"2024-03-04T09:00:00.5-05:30", "2024-03-04T09:00:00"},
      {"", std::nullopt},
      {"2024-03-04", std::nullopt},
      {"2024-13-04T09:00:00", std::nullopt},
      {"2024-03-04T09:00:00 garbage", std::nullopt},
  };
  for (const Case& c : cases) {
    auto time = ParseTaskDateTime(c.text);
    EXPECT_EQ(time ? std::optional<std::string>(TaskDateTime(*time)) : std::nullopt, c.expected) << c.text;
  }
}

TEST(TaskTime, DayOfWeek) {
  EXPECT_EQ(DayOfWeek({1970, 1, 1}), 4);
  EXPECT_EQ(DayOfWeek({2024, 3, 3}), 0);
  EXPECT_EQ(DayOfWeek({2024, 3, 4}), 1);
  EXPECT_EQ(DayOfWeek({2024, 3, 9}), 6);
}

}  // namespace
