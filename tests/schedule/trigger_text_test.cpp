#include <gtest/gtest.h>

#include <map>

#include "platform/sim/builtin_strings.h"
#include "platform/sim/sim_locale.h"
#include "res/string_ids.h"
#include "schedule/trigger_text.h"

namespace {

// The English table with some texts replaced, as a translation gives them.
class TTranslatedStrings : public IStringTable {
 public:
  std::map<int, std::string> texts;
  std::string Load(int id) override {
    auto text = texts.find(id);
    return text != texts.end() ? text->second : m_english.Load(id);
  }

 private:
  TBuiltinStringTable m_english;
};

TTriggerFacts Trigger(TTaskTriggerType type) {
  TTriggerFacts facts;
  facts.type = type;
  return facts;
}

TEST(TriggerText, EveryRowOfTheTable) {
  const TLocalTime start{2024, 3, 4, 9, 0, 0};
  TTriggerFacts everyThreeDays = Trigger(ttDaily);
  everyThreeDays.daysInterval = 3;
  TTriggerFacts repeating = everyThreeDays;
  repeating.repetitionInterval = "PT1H";
  repeating.repetitionDuration = "PT4H";
  TTriggerFacts weekly = Trigger(ttWeekly);
  weekly.daysOfWeek = WEEKDAY_MONDAY | WEEKDAY_FRIDAY;
  TTriggerFacts everySecondWeek = weekly;
  everySecondWeek.weeksInterval = 2;
  everySecondWeek.daysOfWeek = WEEKDAY_SATURDAY | WEEKDAY_SUNDAY;
  TTriggerFacts logon = Trigger(ttLogon);
  logon.userId = "tester";
  logon.startBoundary = "2024-03-04T10:20:30";
  TTriggerFacts anyLogon = Trigger(ttLogon);
  TTriggerFacts boot = Trigger(ttBoot);
  boot.startBoundary = "2024-03-04T07:05:00Z";
  struct Case {
    TTriggerFacts trigger;
    const char* expected;
  } cases[] = {
      {Trigger(ttTime), "At 09:00 on 3/4/2024"},
      {Trigger(ttDaily), "At 09:00 every day"},
      {everyThreeDays, "At 09:00 every 3 days"},
      {repeating, "At 09:00 every 3 days - After triggered, repeat every PT1H for a duration of PT4H"},
      {weekly, "At 09:00 every Monday, Friday of every week, starting 3/4/2024"},
      {everySecondWeek, "At 09:00 every Sunday, Saturday of every 2 weeks, starting 3/4/2024"},
      {logon, "At logon of tester, starting at 10:20 on 3/4/2024"},
      {anyLogon, "At logon of any user"},
      {boot, "At system startup, starting at 07:05 on 3/4/2024"},
      {Trigger(ttIdle), ""},
  };
  TSimLocale locale;
  TBuiltinStringTable strings;
  for (const Case& c : cases) EXPECT_EQ(DescribeTrigger(c.trigger, start, locale, strings), c.expected) << c.expected;
}

TEST(TriggerText, GermanLocaleAndReorderedTranslation) {
  TSimLocale locale;
  locale.dayNames = {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"};
  locale.shortDateFormat = "dd.MM.yyyy";
  TTranslatedStrings strings;
  strings.texts[IDS_TRIGGER_WEEKLY] = "Jede Woche %1:s um %0:s, ab %2:s";
  TTriggerFacts weekly = Trigger(ttWeekly);
  weekly.daysOfWeek = WEEKDAY_MONDAY | WEEKDAY_FRIDAY;
  EXPECT_EQ(DescribeTrigger(weekly, {2024, 3, 4, 9, 0, 0}, locale, strings),
            "Jede Woche Montag, Freitag um 09:00, ab 04.03.2024");
  EXPECT_EQ(DescribeTrigger(Trigger(ttTime), {2024, 12, 24, 18, 30, 0}, locale, strings), "At 18:30 on 24.12.2024");
}

TEST(TriggerText, AFormatThatDoesNotFitItsArgumentsSaysSo) {
  TSimLocale locale;
  TTranslatedStrings strings;
  strings.texts[IDS_TRIGGER_DAILY] = "At %d every day";
  strings.texts[IDS_TRIGGER_TIME] = "At %0:s on %2:s";
  EXPECT_EQ(DescribeTrigger(Trigger(ttDaily), {2024, 3, 4, 9, 0, 0}, locale, strings),
            "Format error: At %d every day");
  EXPECT_EQ(DescribeTrigger(Trigger(ttTime), {2024, 3, 4, 9, 0, 0}, locale, strings),
            "Format error: At %0:s on %2:s");
}

}  // namespace
