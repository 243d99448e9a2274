// The schedule settings page's presenter on a simulated machine and Task
// Scheduler: the schedule read back when the page is shown, what enables Save,
// what Save registers or deletes, and the question about the scan at start.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/message_box_kinds.h"
#include "schedule/schedule_fixture.h"
#include "ui/schedule_settings_presenter.h"

namespace {

class TRecordingScheduleHost : public IScheduleSettingsHost {
 public:
  struct TQuestion {
    std::string text;
    int kind;
  };
  int answer = ID_NO;
  std::vector<TQuestion> questions;
  int scanAtStartStored = 0;

  int Ask(const std::string&, const std::string& text, int kind) override {
    questions.push_back({text, kind});
    return answer;
  }
  void RunScanAtStartStored() override { ++scanAtStartStored; }
};

constexpr const char* SCAN_TASK = "Quorvane Scheduled Scan";
constexpr const char* FAILED = "Failed to create scheduled scan. Please try again, or contact support.";
const std::array<bool, QV_DAY_COUNT> NO_DAYS{};
// Monday and Friday, in the page's order Monday to Sunday.
const std::array<bool, QV_DAY_COUNT> MONDAY_FRIDAY{true, false, false, false, true, false, false};

class ScheduleSettings : public TScheduleFixture {
 protected:
  // The presenter on the machine as it is now, loaded as at window creation.
  TScheduleSettingsPresenter& Open() {
    presenter.reset();
    Create();
    presenter = std::make_unique<TScheduleSettingsPresenter>(*model, machine.Ports(), host);
    presenter->Load();
    return *presenter;
  }
  TScheduleSettingsView View() const { return presenter->View(); }

  TRecordingScheduleHost host;
  std::unique_ptr<TScheduleSettingsPresenter> presenter;
};

TEST_F(ScheduleSettings, LoadShowsTheTextsWithNeverChosenAndSaveDisabled) {
  Open();
  const TScheduleSettingsView view = View();
  EXPECT_EQ(view.title, "Schedule Settings");
  EXPECT_EQ(view.cycleCaption, "Check for new drivers:");
  EXPECT_EQ(view.cycles, (std::array<std::string, QV_CYCLE_COUNT>{"Daily", "Weekly", "One time", "Never"}));
  EXPECT_EQ(view.cycle, cycNever);
  EXPECT_FALSE(view.stepsVisible);
  EXPECT_EQ(view.headings[1], "Settings for weekly schedule:");
  EXPECT_EQ(view.startLabel, "Start:");
  EXPECT_EQ(view.daysLabel, "On the following day(s) of the week:");
  EXPECT_EQ(view.dayNames,
            (std::array<std::string, QV_DAY_COUNT>{machine.locale.LongDayName(1), machine.locale.LongDayName(2),
                                                   machine.locale.LongDayName(3), machine.locale.LongDayName(4),
                                                   machine.locale.LongDayName(5), machine.locale.LongDayName(6),
                                                   machine.locale.LongDayName(0)}));
  EXPECT_EQ(view.dayNames[0], "Monday");
  EXPECT_EQ(view.current, "Schedule: ");
  EXPECT_EQ(view.save, "&Save");
  EXPECT_FALSE(view.saveEnabled);
}

TEST_F(ScheduleSettings, ShowingThePageReadsTheScheduleBack) {
  // The pickers before the page is shown, to see which cases set them.
  const TLocalTime before{2030, 1, 2, 5, 6, 0};
  const TLocalTime now{2024, 3, 4, 10, 20, 30};
  struct Case {
    const char* name;
    std::function<void(ScheduleSettings&)> machine;
    int cycle;
    bool cycleEnabled;
    TLocalTime start;
    std::array<bool, QV_DAY_COUNT> days;
    const char* current;
  } cases[] = {
      {"none", [](ScheduleSettings&) {}, cycNever, true, now, NO_DAYS, "Scheduled: No schedule"},
      {"daily",
       [](ScheduleSettings& t) { ASSERT_TRUE(t.Create().SaveScheduledScan({scDaily, {2024, 3, 4, 21, 8, 0}, 0})); },
       cycDaily, true, {2024, 3, 4, 21, 8, 0}, NO_DAYS, "Scheduled: At 21:08 every day"},
      {"weekly Monday and Friday at 09:00",
       [](ScheduleSettings& t) {
         ASSERT_TRUE(t.Create().SaveScheduledScan({scWeekly, {2024, 3, 4, 9, 0, 0}, WEEKDAY_MONDAY | WEEKDAY_FRIDAY}));
       },
       cycWeekly, true, {2024, 3, 4, 9, 0, 0}, MONDAY_FRIDAY,
       "Scheduled: At 09:00 every Monday, Friday of every week, starting 3/4/2024"},
      {"one time",
       [](ScheduleSettings& t) { ASSERT_TRUE(t.Create().SaveScheduledScan({scOnce, {2024, 3, 5, 8, 30, 0}, 0})); },
       cycOnce, true, {2024, 3, 5, 8, 30, 0}, NO_DAYS, "Scheduled: At 08:30 on 3/5/2024"},
      {"a trigger of another type",
       [](ScheduleSettings& t) {
         t.AddTask(SCAN_TASK);
         t.Scheduler().tasks[0].definition.triggers[0] = SimTrigger(ttBoot);
         t.Scheduler().tasks[0].definition.triggers[0]->startBoundary = "2024-05-06T07:08:00";
       },
       cycNever, true, {2024, 5, 6, 7, 8, 0}, NO_DAYS, "Scheduled: At system startup, starting at 07:08 on 5/6/2024"},
      {"a task without a trigger",
       [](ScheduleSettings& t) {
         t.AddTask(SCAN_TASK);
         t.Scheduler().tasks[0].definition.triggers.clear();
       },
       cycNever, true, before, NO_DAYS, "Scheduled: No schedule"},
      {"scheduler unavailable",
       [](ScheduleSettings& t) {
         t.AddTask(SCAN_TASK);
         t.Scheduler().serviceState = SERVICE_STATE_STOPPED;
       },
       cycNever, false, before, NO_DAYS, "Scheduled: No schedule"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scheduler().tasks.clear();
    Scheduler().serviceState = SERVICE_STATE_RUNNING;
    c.machine(*this);
    Open();
    presenter->SyncDates(before.year, before.month, before.day);
    presenter->SyncTimes(before.hour, before.minute);
    presenter->Show();
    const TScheduleSettingsView view = View();
    EXPECT_EQ(view.cycle, c.cycle);
    EXPECT_EQ(view.cycleEnabled, c.cycleEnabled);
    EXPECT_EQ(view.start, c.start);
    EXPECT_EQ(view.days, c.days);
    EXPECT_EQ(view.current, c.current);
    EXPECT_EQ(view.stepsVisible, c.cycle != cycNever);
    EXPECT_EQ(view.stepsHeight, c.cycle == cycWeekly ? 300 : 150);
    if (c.cycle != cycNever) {
      EXPECT_EQ(view.step, c.cycle);
    }
    EXPECT_FALSE(view.saveEnabled);
    EXPECT_TRUE(host.questions.empty());
  }
}

TEST_F(ScheduleSettings, OnlyTheUsersCycleChangeEnablesSave) {
  ASSERT_TRUE(Create().SaveScheduledScan({scWeekly, {2024, 3, 4, 9, 0, 0}, WEEKDAY_MONDAY}));
  struct Case {
    const char* name;
    std::function<void(TScheduleSettingsPresenter&)> event;
    bool enables;
  } cases[] = {
      {"a date", [](TScheduleSettingsPresenter& p) { p.SyncDates(2024, 6, 7); }, false},
      {"a time", [](TScheduleSettingsPresenter& p) { p.SyncTimes(22, 15); }, false},
      {"a day box", [](TScheduleSettingsPresenter& p) { p.DayClicked(3, true); }, false},
      {"the chosen cycle again", [](TScheduleSettingsPresenter& p) { p.CycleClicked(cycWeekly); }, false},
      {"showing the page again", [](TScheduleSettingsPresenter& p) { p.Show(); }, false},
      {"another cycle", [](TScheduleSettingsPresenter& p) { p.CycleClicked(cycOnce); }, true},
      {"another cycle and back",
       [](TScheduleSettingsPresenter& p) {
         p.CycleClicked(cycDaily);
         p.CycleClicked(cycWeekly);
       },
       true},
  };
  for (const Case& c : cases) {
    Open().Show();
    c.event(*presenter);
    EXPECT_EQ(View().saveEnabled, c.enables) << c.name;
  }
}

TEST_F(ScheduleSettings, TheCycleShowsItsPageAndEveryPickerTheSameStart) {
  Open().Show();
  struct Case {
    int cycle;
    bool visible;
    int height;
  } cases[] = {{cycWeekly, true, 300}, {cycOnce, true, 150}, {cycNever, false, 150}, {cycDaily, true, 150}};
  for (const Case& c : cases) {
    presenter->CycleClicked(c.cycle);
    const TScheduleSettingsView view = View();
    EXPECT_EQ(view.stepsVisible, c.visible) << c.cycle;
    EXPECT_EQ(view.stepsHeight, c.height) << c.cycle;
    if (c.visible) {
      EXPECT_EQ(view.step, c.cycle);
    }
  }
  presenter->SyncDates(2024, 12, 31);
  presenter->SyncTimes(7, 45);
  EXPECT_EQ(View().start, (TLocalTime{2024, 12, 31, 7, 45, 0}));
}

TEST_F(ScheduleSettings, SaveRegistersTheChosenCycle) {
  struct Case {
    int cycle;
    std::array<bool, QV_DAY_COUNT> days;
    TTaskTriggerType type;
    int16_t daysOfWeek;
    const char* current;
  } cases[] = {
      {cycDaily, NO_DAYS, ttDaily, 0, "Scheduled: At 18:30 every day"},
      {cycWeekly, NO_DAYS, ttWeekly, WEEKDAY_MONDAY, "Scheduled: At 18:30 every Monday of every week, starting 3/9/2024"},
      {cycWeekly, MONDAY_FRIDAY, ttWeekly, WEEKDAY_MONDAY | WEEKDAY_FRIDAY,
       "Scheduled: At 18:30 every Monday, Friday of every week, starting 3/9/2024"},
      {cycOnce, NO_DAYS, ttTime, 0, "Scheduled: At 18:30 on 3/9/2024"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.current);
    Scheduler().tasks.clear();
    Open().Show();
    presenter->CycleClicked(c.cycle);
    presenter->SyncDates(2024, 3, 9);
    presenter->SyncTimes(18, 30);
    for (size_t day = 0; day < QV_DAY_COUNT; ++day) presenter->DayClicked(day, c.days[day]);
    presenter->Save();
    const TSimTask* task = Task(SCAN_TASK);
    ASSERT_NE(task, nullptr);
    ASSERT_EQ(task->definition.triggers.size(), 1u);
    EXPECT_EQ(task->definition.triggers[0]->type, c.type);
    EXPECT_EQ(task->definition.triggers[0]->startBoundary, "2024-03-09T18:30:00");
    EXPECT_EQ(task->definition.triggers[0]->daysOfWeek, c.daysOfWeek);
    EXPECT_EQ(View().current, c.current);
    EXPECT_FALSE(View().saveEnabled);
    // Shown again, the page reads back what was saved.
    presenter->Show();
    EXPECT_EQ(View().cycle, c.cycle);
    EXPECT_EQ(View().current, c.current);
  }
}

TEST_F(ScheduleSettings, SaveAsksToScanAtStartWhenItIsOff) {
  struct Case {
    bool scanAtStart;
    int answer;
    bool failRegistration;
    bool asked;
    bool stored;
  } cases[] = {
      {true, ID_YES, false, false, false},
      {false, ID_NO, false, true, false},
      {false, ID_YES, false, true, true},
      {false, ID_YES, true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.scanAtStart << c.answer << c.failRegistration);
    Scheduler().tasks.clear();
    Scheduler().failures.clear();
    if (c.failRegistration) Scheduler().failures["RegisterTask"] = HR_ACCESS_DENIED;
    host = {};
    host.answer = c.answer;
    Open();
    model->SetRunScanAtStart(c.scanAtStart);
    model->DumpSettings();
    presenter->Show();
    presenter->CycleClicked(cycDaily);
    presenter->Save();
    std::vector<std::string> texts;
    for (const auto& question : host.questions) texts.push_back(question.text);
    std::vector<std::string> expected;
    if (c.failRegistration) expected.push_back(FAILED);
    if (c.asked)
      expected.push_back(
          "Scan at program start is disabled.\r\nWould you like to enable it to run an automatic scan when the "
          "scheduled execution happens?");
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(host.scanAtStartStored, c.stored ? 1 : 0);
    EXPECT_EQ(Create().RunScanAtStart(), c.scanAtStart || c.stored) << "as the settings file holds it";
  }
}

TEST_F(ScheduleSettings, AFailedRegistrationKeepsTheLabel) {
  ASSERT_TRUE(Create().SaveScheduledScan({scDaily, {2024, 3, 4, 21, 8, 0}, 0}));
  Open().Show();
  Scheduler().failures["RegisterTask"] = HR_ACCESS_DENIED;
  presenter->CycleClicked(cycWeekly);
  presenter->Save();
  ASSERT_FALSE(host.questions.empty());
  EXPECT_EQ(host.questions[0].text, FAILED);
  EXPECT_EQ(host.questions[0].kind, QV_KIND_SERVER_ERROR);
  EXPECT_EQ(View().current, "Scheduled: At 21:08 every day");
  EXPECT_FALSE(View().saveEnabled);
  EXPECT_EQ(Task(SCAN_TASK)->definition.triggers[0]->type, ttDaily);
}

TEST_F(ScheduleSettings, NeverDeletesTheTaskAndAFailedDeletionKeepsTheLabel) {
  struct Case {
    const char* name;
    bool taskExists;
    bool deletionFails;
    const char* current;
  } cases[] = {
      {"no task", false, false, "Scheduled: No schedule"},
      {"deleted", true, false, "Scheduled: No schedule"},
      {"deletion fails", true, true, "Scheduled: At 21:08 every day"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scheduler().tasks.clear();
    Scheduler().failures.clear();
    host = {};
    if (c.taskExists) {
      ASSERT_TRUE(Create().SaveScheduledScan({scDaily, {2024, 3, 4, 21, 8, 0}, 0}));
    }
    Open().Show();
    presenter->CycleClicked(cycWeekly);
    presenter->CycleClicked(cycNever);
    if (c.deletionFails) Scheduler().failures["DeleteTask"] = HR_ACCESS_DENIED;
    presenter->Save();
    EXPECT_EQ(View().current, c.current);
    EXPECT_FALSE(View().saveEnabled);
    EXPECT_EQ(Task(SCAN_TASK) != nullptr, c.deletionFails);
    ASSERT_EQ(host.questions.size(), c.deletionFails ? 1u : 0u) << "no question about the scan at start";
    if (c.deletionFails) {
      EXPECT_EQ(host.questions[0].text, FAILED);
    }
  }
}

}  // namespace
