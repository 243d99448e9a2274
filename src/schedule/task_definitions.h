// The program's scheduled tasks: connecting to the Task Scheduler, the common
// definition, the logon tasks and the scheduled scan, and reading the schedule
// back. A definition is registered only when every part of it was filled.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/locale.h"
#include "platform/os_version.h"
#include "schedule/win_task.h"

// Task names are the program's name and a suffix.
inline constexpr const char* TASK_SUFFIX_ONCE = "Once";
inline constexpr const char* TASK_SUFFIX_SCHEDULED_SCAN = " Scheduled Scan";
// The delay of a logon start.
inline constexpr const char* LOGON_TASK_DELAY = "PT10S";

// What every definition is filled with.
struct TTaskFacts {
  std::string userName;
  std::string programPath;
  std::string description;
  TLocalTime now;
  TTaskCompatibility compatibility = tcWin10;  // for new definitions
};

// The compatibility of a new definition on that version of Windows.
TTaskCompatibility CompatibilityFor(const TOsVersionNumbers& version);

// Connecting: nothing before Vista, nor when the service "schedule" is not
// running, nor when a step of TWinTaskScheduler::Connect fails.
std::unique_ptr<TWinTaskScheduler> ConnectTaskScheduler(ITaskSchedulerPort& port, const TOsVersionNumbers& version);

// Fills registration information, principal, settings (all but enabled) and the
// exec action, and replaces every trigger with one new trigger of `type`, enabled,
// starting now (logon triggers: for the user). Nothing when a step fails.
std::unique_ptr<TWinTaskTrigger> FillCommonDefinition(TWinTask& task, const TTaskFacts& facts, TTaskTriggerType type);

// Creates or updates the logon task `name` (a PT10S-delayed logon trigger),
// enabled or disabled. True when the task is registered and listed afterwards.
bool UpdateLogonTask(TWinTaskScheduler& scheduler, const std::string& name, bool enable, const TTaskFacts& facts);

// Deletes the task when it is listed; true when it is gone.
bool RemoveScheduledTask(TWinTaskScheduler& scheduler, const std::string& name);

enum TScanCycle { scNever, scDaily, scWeekly, scOnce };

// A scheduled scan as the schedule page chooses it.
struct TScanSchedule {
  TScanCycle cycle = scNever;
  TLocalTime start;         // the chosen date and time
  int16_t daysOfWeek = 0;   // weekly: weekday bits; none means Monday
};

// Registers the scheduled scan `name` (on `loaded`, the definition read for the
// page, when there is one) or, for scNever, deletes it. True on success.
bool SaveScheduledScan(TWinTaskScheduler& scheduler, const std::string& name, const TScanSchedule& schedule,
                       const TTaskFacts& facts, TWinTask* loaded = nullptr);

// The scheduled scan read back from its first trigger.
struct TScheduleReading {
  TScanSchedule schedule;
  TTriggerFacts trigger;
};

// Nothing when the task is not listed or has no trigger of a scan's cycle. A
// trigger without a start boundary starts now, cut to the minute.
std::optional<TScheduleReading> ReadScheduledScan(TWinTaskScheduler& scheduler, const std::string& name,
                                                  const TLocalTime& now);

// The registered task as the schedule page reads it: its definition, kept for
// the next save, and its first trigger of any type, when it has one.
struct TScheduledTask {
  std::unique_ptr<TWinTask> definition;
  std::optional<TTriggerFacts> trigger;
  TLocalTime start;  // the trigger's start boundary, or now cut to the minute
};

// Nothing when the task is not listed or its definition cannot be had.
std::optional<TScheduledTask> LoadScheduledTask(TWinTaskScheduler& scheduler, const std::string& name,
                                                const TLocalTime& now);
