#include "schedule/task_definitions.h"

#include "schedule/task_time.h"

TTaskCompatibility CompatibilityFor(const TOsVersionNumbers& version) {
  if (version.major < 5) return tcAT;
  if (version.major == 5) return tcXP;
  if (version.major == 6) return version.minor == 0 ? tcVista : tcWin7;
  return tcWin10;
}

std::unique_ptr<TWinTaskScheduler> ConnectTaskScheduler(ITaskSchedulerPort& port, const TOsVersionNumbers& version) {
  if (version.major < 6) return nullptr;
  if (port.ServiceState() != SERVICE_STATE_RUNNING) return nullptr;
  THResult failure = HR_OK;
  return TWinTaskScheduler::Connect(port, failure);
}

namespace {

// The first exec action, or a new one, running the program without arguments.
bool FillExecAction(TWinTask& task, const std::string& programPath) {
  std::unique_ptr<TWinTaskAction> action = task.FirstExecAction();
  if (!action) {
    if (!HrSucceeded(task.LastResult())) return false;
    action = task.CreateAction(taExec);
  }
  return action && action->SetPath(programPath) && action->SetArguments("");
}

// Removes every trigger, from the last.
bool RemoveTriggers(TWinTask& task) {
  auto count = task.TriggerCount();
  if (!count) return false;
  for (int32_t index = *count; index >= 1; --index)
    if (!task.RemoveTrigger(index)) return false;
  return true;
}

std::unique_ptr<TWinTask> DefinitionFor(TWinTaskScheduler& scheduler, const std::string& name, const TTaskFacts& facts) {
  TWinTaskFolder& folder = scheduler.RootFolder();
  if (folder.Exists(name)) return folder.GetTask(name);
  std::unique_ptr<TWinTask> task = scheduler.NewTask();
  if (task && !task->Settings().SetCompatibility(facts.compatibility)) return nullptr;
  return task;
}

}  // namespace

std::unique_ptr<TWinTaskTrigger> FillCommonDefinition(TWinTask& task, const TTaskFacts& facts, TTaskTriggerType type) {
  TWinTaskSettings settings = task.Settings();
  const bool filled = task.SetLogonType(ltToken) && task.SetUserId(facts.userName) && task.SetRunLevel(rlHighest) &&
                      task.SetRegistrationDate(TaskDateTime(facts.now)) && task.SetDescription(facts.description) &&
                      settings.SetStartWhenAvailable(false) && settings.SetPriority(tpNormal) &&
                      FillExecAction(task, facts.programPath) && RemoveTriggers(task);
  if (!filled) return nullptr;
  std::unique_ptr<TWinTaskTrigger> trigger = task.CreateTrigger(type);
  if (!trigger || !trigger->SetEnabled(true) || !trigger->SetStartBoundary(TaskDateTime(facts.now))) return nullptr;
  if (type == ttLogon && !trigger->SetUserId(facts.userName)) return nullptr;
  return trigger;
}

bool UpdateLogonTask(TWinTaskScheduler& scheduler, const std::string& name, bool enable, const TTaskFacts& facts) {
  std::unique_ptr<TWinTask> task = DefinitionFor(scheduler, name, facts);
  if (!task) return false;
  std::unique_ptr<TWinTaskTrigger> trigger = FillCommonDefinition(*task, facts, ttLogon);
  if (!trigger || !trigger->SetDelay(LOGON_TASK_DELAY) || !task->Settings().SetEnabled(enable)) return false;
  TWinTaskFolder& folder = scheduler.RootFolder();
  return folder.RegisterTask(name, *task, ltToken) && folder.Exists(name);
}

bool RemoveScheduledTask(TWinTaskScheduler& scheduler, const std::string& name) {
  TWinTaskFolder& folder = scheduler.RootFolder();
  return !folder.Exists(name) || folder.DeleteTask(name);
}

bool SaveScheduledScan(TWinTaskScheduler& scheduler, const std::string& name, const TScanSchedule& schedule,
                       const TTaskFacts& facts, TWinTask* loaded) {
  if (schedule.cycle == scNever) return RemoveScheduledTask(scheduler, name);
  std::unique_ptr<TWinTask> made;
  if (loaded == nullptr) {
    made = DefinitionFor(scheduler, name, facts);
    if (!made) return false;
    loaded = made.get();
  }
  const TTaskTriggerType type = schedule.cycle == scDaily ? ttDaily : schedule.cycle == scWeekly ? ttWeekly : ttTime;
  std::unique_ptr<TWinTaskTrigger> trigger = FillCommonDefinition(*loaded, facts, type);
  if (!trigger) return false;
  if (type == ttWeekly && !trigger->SetDaysOfWeek(schedule.daysOfWeek != 0 ? schedule.daysOfWeek : WEEKDAY_MONDAY))
    return false;
  if (!trigger->SetStartBoundary(TaskDateTime(RoundToMinute(schedule.start))) || !loaded->Settings().SetEnabled(true))
    return false;
  return scheduler.RootFolder().RegisterTask(name, *loaded, ltToken);
}

std::optional<TScheduledTask> LoadScheduledTask(TWinTaskScheduler& scheduler, const std::string& name,
                                                const TLocalTime& now) {
  TWinTaskFolder& folder = scheduler.RootFolder();
  // Another program may have added or deleted it since the names were read.
  folder.Refresh();
  if (!folder.Exists(name)) return std::nullopt;
  TScheduledTask loaded;
  loaded.definition = folder.GetTask(name);
  if (!loaded.definition) return std::nullopt;
  std::unique_ptr<TWinTaskTrigger> trigger = loaded.definition->Trigger(1);
  if (trigger) loaded.trigger = trigger->Facts();
  if (!loaded.trigger) return loaded;
  if (auto start = ParseTaskDateTime(loaded.trigger->startBoundary)) {
    loaded.start = *start;
  } else {
    loaded.start = now;
    loaded.start.second = 0;
  }
  return loaded;
}

std::optional<TScheduleReading> ReadScheduledScan(TWinTaskScheduler& scheduler, const std::string& name,
                                                  const TLocalTime& now) {
  std::optional<TScheduledTask> loaded = LoadScheduledTask(scheduler, name, now);
  if (!loaded || !loaded->trigger) return std::nullopt;
  TScheduleReading reading;
  reading.trigger = *loaded->trigger;
  switch (reading.trigger.type) {
    case ttTime: reading.schedule.cycle = scOnce; break;
    case ttDaily: reading.schedule.cycle = scDaily; break;
    case ttWeekly: reading.schedule.cycle = scWeekly; break;
    default: return std::nullopt;
  }
  reading.schedule.daysOfWeek = reading.trigger.type == ttWeekly ? reading.trigger.daysOfWeek : 0;
  reading.schedule.start = loaded->start;
  return reading;
}
