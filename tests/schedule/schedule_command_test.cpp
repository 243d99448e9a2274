#include <sstream>

#include "cli/commands.h"
#include "schedule/schedule_fixture.h"

namespace {

class ScheduleCommand : public TScheduleFixture {
 public:
  int Run(const std::vector<std::string>& arguments) {
    out.str("");
    err.str("");
    return RunQvcli(arguments, machine.Ports(), out, err);
  }
  std::ostringstream out;
  std::ostringstream err;
};

TEST_F(ScheduleCommand, ShowsAndChangesTheSchedule) {
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    const char* scheduled;  // the last line, or nullptr for a usage error
  } cases[] = {
      {{"schedule"}, QVCLI_OK, "Scheduled: never"},
      {{"schedule", "daily", "2024-03-04", "21:07:45"}, QVCLI_OK, "Scheduled: At 21:08 every day"},
      {{"schedule", "weekly", "mon,fri", "2024-03-04", "09:00"}, QVCLI_OK,
       "Scheduled: At 09:00 every Monday, Friday of every week, starting 3/4/2024"},
      {{"schedule", "once", "2024-12-31", "23:59:40"}, QVCLI_OK, "Scheduled: At 00:00 on 1/1/2025"},
      {{"schedule"}, QVCLI_OK, "Scheduled: At 00:00 on 1/1/2025"},
      {{"schedule", "weekly", "monday", "2024-03-04", "09:00"}, QVCLI_USAGE, nullptr},
      {{"schedule", "daily", "2024-3-4", "09:00"}, QVCLI_USAGE, nullptr},
      {{"schedule", "daily", "2024-03-04", "24:00"}, QVCLI_USAGE, nullptr},
      {{"schedule", "never", "now"}, QVCLI_USAGE, nullptr},
      {{"schedule", "never"}, QVCLI_OK, "Scheduled: never"},
  };
  for (const Case& c : cases) {
    const std::string command = c.arguments.size() > 1 ? c.arguments[1] : "show";
    EXPECT_EQ(Run(c.arguments), c.exitCode) << command << err.str();
    if (c.scheduled) {
      EXPECT_NE(out.str().find(std::string("Task Scheduler: available\nQuorvane: not registered\n"
                                           "QuorvaneOnce: not registered\n") + c.scheduled + "\n"),
                std::string::npos)
          << command << ": " << out.str();
    }
  }
  EXPECT_EQ(Scheduler().tasks.size(), 0u);
}

TEST_F(ScheduleCommand, LogonTasksAndFailures) {
  AddTask("Quorvane");
  Scheduler().tasks[0].definition.enabled = false;
  AddTask("QuorvaneOnce");
  Scheduler().failures["RegisterTask"] = HR_ACCESS_DENIED;
  EXPECT_EQ(Run({"schedule", "daily", "2024-03-04", "09:00"}), QVCLI_SERVER_PROBLEM);
  EXPECT_EQ(err.str(), "Failed to create scheduled scan. Please try again, or contact support.\n");
  EXPECT_NE(out.str().find("Quorvane: disabled\nQuorvaneOnce: not registered\nScheduled: never\n"), std::string::npos)
      << out.str() << " (the Once task goes when the data model is made)";
  Scheduler().serviceState = SERVICE_STATE_STOPPED;
  EXPECT_EQ(Run({"schedule", "never"}), QVCLI_SERVER_PROBLEM);
  EXPECT_EQ(out.str(), "Task Scheduler: not available\n");
}

}  // namespace
