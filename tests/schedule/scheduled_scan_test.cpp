#include "schedule/schedule_fixture.h"
#include "schedule/trigger_text.h"

namespace {

class ScheduledScan : public TScheduleFixture {
 public:
  const TSimTask* ScanTask() { return Task("Quorvane Scheduled Scan"); }
  std::string Description() {
    auto reading = model->ReadScheduledScan();
    if (!reading) return "(none)";
    return DescribeTrigger(reading->trigger, reading->schedule.start, machine.locale, machine.strings);
  }
};

TEST_F(ScheduledScan, CyclesTheirTriggersAndDescriptions) {
  struct Case {
    TScanSchedule schedule;
    TTaskTriggerType type;
    const char* start;
    int16_t days;
    const char* description;
  } cases[] = {
      {{scDaily, {2024, 3, 4, 21, 7, 45}, 0}, ttDaily, "2024-03-04T21:08:00", 0, "At 21:08 every day"},
      {{scWeekly, {2024, 3, 4, 9, 0, 0}, 0}, ttWeekly, "2024-03-04T09:00:00", WEEKDAY_MONDAY,
       "At 09:00 every Monday of every week, starting 3/4/2024"},
      {{scWeekly, {2024, 3, 4, 9, 0, 0}, WEEKDAY_MONDAY | WEEKDAY_FRIDAY}, ttWeekly, "2024-03-04T09:00:00",
       WEEKDAY_MONDAY | WEEKDAY_FRIDAY, "At 09:00 every Monday, Friday of every week, starting 3/4/2024"},
      {{scOnce, {2024, 3, 4, 23, 59, 40}, 0}, ttTime, "2024-03-05T00:00:00", 0, "At 00:00 on 3/5/2024"},
  };
  TDriverDatamodel& model = Create();
  for (const Case& c : cases) {
    ASSERT_TRUE(model.SaveScheduledScan(c.schedule)) << c.description;
    const TSimTask* task = ScanTask();
    ASSERT_NE(task, nullptr);
    ASSERT_EQ(task->definition.triggers.size(), 1u) << c.description;
    const TSimTrigger& trigger = *task->definition.triggers[0];
    EXPECT_EQ(trigger.type, c.type) << c.description;
    EXPECT_EQ(trigger.startBoundary, c.start) << c.description;
    EXPECT_EQ(trigger.daysOfWeek, c.days) << c.description;
    EXPECT_TRUE(trigger.enabled) << c.description;
    EXPECT_EQ(trigger.delay, "") << c.description;
    EXPECT_TRUE(task->definition.enabled) << c.description;
    EXPECT_EQ(task->definition.userId, "tester") << c.description;
    EXPECT_EQ(task->definition.runLevel, rlHighest) << c.description;
    EXPECT_EQ(task->definition.actions.size(), 1u) << c.description;
    EXPECT_EQ(Description(), c.description);
    auto reading = model.ReadScheduledScan();
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->schedule.cycle, c.schedule.cycle) << c.description;
    EXPECT_EQ(reading->schedule.daysOfWeek, c.days) << c.description;
  }
  EXPECT_EQ(Scheduler().tasks.size(), 1u);
}

TEST_F(ScheduledScan, NeverDeletesAndAFailedDeletionFails) {
  TDriverDatamodel& model = Create();
  EXPECT_TRUE(model.SaveScheduledScan({scNever, {}, 0})) << "nothing to delete";
  ASSERT_TRUE(model.SaveScheduledScan({scDaily, {2024, 3, 4, 9, 0, 0}, 0}));
  Scheduler().failures["DeleteTask"] = HR_ACCESS_DENIED;
  EXPECT_FALSE(model.SaveScheduledScan({scNever, {}, 0}));
  EXPECT_NE(ScanTask(), nullptr);
  Scheduler().failures.clear();
  EXPECT_TRUE(model.SaveScheduledScan({scNever, {}, 0}));
  EXPECT_EQ(ScanTask(), nullptr);
  EXPECT_FALSE(model.ReadScheduledScan());
  EXPECT_EQ(Description(), "(none)");
}

TEST_F(ScheduledScan, AFailedStepOrRegistrationFails) {
  for (const char* operation : {"RegisterTask", "put_DaysOfWeek", "CreateTrigger 3", "put_StartBoundary"}) {
    Scheduler().tasks.clear();
    Scheduler().failures = {{operation, HR_NOT_IMPLEMENTED}};
    EXPECT_FALSE(Create().SaveScheduledScan({scWeekly, {2024, 3, 4, 9, 0, 0}, 0})) << operation;
    EXPECT_EQ(ScanTask(), nullptr) << operation;
  }
}

TEST_F(ScheduledScan, ReadsBackAStartBoundaryWithFractionOrZoneOrNone) {
  struct Case {
    const char* boundary;
    TLocalTime start;
  } cases[] = {
      {"2024-05-06T07:08:09.1234567+02:00", {2024, 5, 6, 7, 8, 9}},
      {"2024-05-06T07:08:00Z", {2024, 5, 6, 7, 8, 0}},
      {"", {2024, 3, 4, 10, 20, 0}},
  };
  for (const Case& c : cases) {
    Scheduler().tasks.clear();
    AddTask("Quorvane Scheduled Scan");
    Scheduler().tasks[0].definition.triggers[0]->startBoundary = c.boundary;
    auto reading = Create().ReadScheduledScan();
    ASSERT_TRUE(reading) << c.boundary;
    EXPECT_EQ(reading->schedule.cycle, scOnce);
    const TLocalTime& start = reading->schedule.start;
    EXPECT_EQ(std::tie(start.year, start.month, start.day, start.hour, start.minute, start.second),
              std::tie(c.start.year, c.start.month, c.start.day, c.start.hour, c.start.minute, c.start.second))
        << c.boundary;
  }
}

TEST_F(ScheduledScan, UnavailableSchedulerSavesNothing) {
  machine.scheduler.serviceState = SERVICE_STATE_STOPPED;
  TDriverDatamodel& model = Create();
  EXPECT_FALSE(model.SaveScheduledScan({scDaily, {2024, 3, 4, 9, 0, 0}, 0}));
  EXPECT_FALSE(model.ReadScheduledScan());
  EXPECT_TRUE(Scheduler().tasks.empty());
}

}  // namespace
