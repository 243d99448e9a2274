#include <gtest/gtest.h>

#include "schedule/text_format.h"

namespace {

TEST(TextFormat, SequentialIndexedAndFailingFormats) {
  struct Case {
    const char* format;
    std::vector<TFormatArg> args;
    std::optional<std::string> expected;
  } cases[] = {
      {"At %s every day", {std::string("09:00")}, "At 09:00 every day"},
      {"%d and %u", {int64_t{-3}, int64_t{7}}, "-3 and 7"},
      {"At %0:s every %1:u days", {std::string("21:08"), int64_t{3}}, "At 21:08 every 3 days"},
      {"%1:u Tage ab %0:s", {std::string("21:08"), int64_t{3}}, "3 Tage ab 21:08"},
      {"%1:s %s", {std::string("a"), std::string("b"), std::string("c")}, "b c"},
      {"100%% at %s", {std::string("x")}, "100% at x"},
      {"no arguments", {}, "no arguments"},
      {"%s %s", {std::string("one")}, std::nullopt},
      {"%d", {std::string("text")}, std::nullopt},
      {"%s", {int64_t{1}}, std::nullopt},
      {"%u", {int64_t{-1}}, std::nullopt},
      {"%x", {int64_t{1}}, std::nullopt},
      {"%2:s", {std::string("a")}, std::nullopt},
      {"%0s", {std::string("a")}, std::nullopt},
      {"ends with %", {}, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatArgs(c.format, c.args), c.expected) << c.format;
}

}  // namespace
