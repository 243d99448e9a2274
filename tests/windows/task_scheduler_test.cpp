// The task-scheduler port against the real Task Scheduler (Wine's service here), as a
// table of operations and answers; the data model and qvcli.exe schedule on it; and
// the Run value before Vista (run with the Windows version set to XP as well).
#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <functional>

#include "core/data_model.h"
#include "platform/win32/win32_machine.h"
#include "support/program_run.h"
#include "wine_detection.h"

namespace {

constexpr const char* PORT_TASK = "Quorvane Port Test";

std::string Hex(THResult hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(static_cast<uint32_t>(hr)));
  return text;
}

// The answer Windows gives, or Wine's where Wine differs (recorded as a known deviation).
THResult Expected(const std::string& operation, THResult windows, THResult wine) {
  if (!RunsUnderWine() || windows == wine) return windows;
  ::testing::Test::RecordProperty("known_wine_deviation " + operation, Hex(wine));
  return wine;
}

std::unique_ptr<ITaskServicePort> ConnectedService(TWin32TaskScheduler& port) {
  std::unique_ptr<ITaskServicePort> service;
  EXPECT_EQ(Hex(port.CreateTaskService(service)), Hex(HR_OK));
  if (service) {
    EXPECT_EQ(Hex(service->Connect()), Hex(HR_OK));
  }
  return service;
}

bool IsWindowsXP(TWin32Machine& machine) { return machine.osVersion.Version().major < 6; }

// qvcli.exe with these arguments; its output without carriage returns.
TProgramRun Qvcli(const std::wstring& arguments) {
  TProgramRun run = RunProgram(L"\"" + QvcliPath() + L"\" " + arguments);
  std::erase(run.output, '\r');
  return run;
}

// One program start: the service not yet running (a fresh Wine session finds the
// auto-start service "schedule" start-pending), then the port's operations, then
// the data model on the running service.
TEST(Win32TaskScheduler, ConnectingOperationsAndTheDataModel) {
  TWin32Machine machine;
  if (IsWindowsXP(machine)) {
    TDriverDatamodel model(machine.Ports());
    EXPECT_FALSE(model.CanSchedule());
    return;
  }
  auto stateAtStart = machine.scheduler.ServiceState();
  ASSERT_TRUE(stateAtStart);
  RecordProperty("service_state_at_start", std::to_string(*stateAtStart));
  if (*stateAtStart == SERVICE_STATE_STOPPED) {
    TDriverDatamodel model(machine.Ports());
    EXPECT_FALSE(model.CanSchedule()) << "the service is not running";
    EXPECT_FALSE(model.UpdateTask(" Port Test", true));
  }

  // COM security: a second call is too late on Windows.
  const THResult first = machine.scheduler.InitializeSecurity(RPC_AUTHN_LEVEL_PACKET, RPC_IMP_LEVEL_IMPERSONATE);
  EXPECT_TRUE(first == HR_OK || first == HR_SECURITY_INITIALIZED) << Hex(first);
  EXPECT_EQ(Hex(machine.scheduler.InitializeSecurity(RPC_AUTHN_LEVEL_PACKET, RPC_IMP_LEVEL_IMPERSONATE)),
            Hex(Expected("second CoInitializeSecurity", HR_SECURITY_INITIALIZED, HR_OK)));

  std::unique_ptr<ITaskServicePort> service = ConnectedService(machine.scheduler);
  ASSERT_TRUE(service);
  EXPECT_EQ(machine.scheduler.ServiceState(), SERVICE_STATE_RUNNING) << "connecting starts the service";
  std::unique_ptr<ITaskFolderPort> folder;
  ASSERT_EQ(Hex(service->GetFolder("\\", folder)), Hex(HR_OK));
  std::unique_ptr<ITaskDefinitionPort> definition;
  ASSERT_EQ(Hex(service->NewTask(definition)), Hex(HR_OK));

  std::unique_ptr<ITaskTriggerPort> daily, weekly, time, logon;
  std::unique_ptr<ITaskActionPort> action;
  int32_t count = -1;
  struct Row {
    const char* operation;
    std::function<THResult()> call;
    THResult windows;
    THResult wine;
  } rows[] = {
      {"IRegistrationInfo::put_Description", [&] { return definition->SetDescription("Quorvane port test"); }, HR_OK, HR_OK},
      {"IRegistrationInfo::put_Date", [&] { return definition->SetRegistrationDate("2024-03-04T10:20:30"); }, HR_OK, HR_OK},
      {"IPrincipal::put_LogonType", [&] { return definition->SetLogonType(ltToken); }, HR_OK, HR_NOT_IMPLEMENTED},
      {"IPrincipal::put_RunLevel", [&] { return definition->SetRunLevel(rlHighest); }, HR_OK, HR_NOT_IMPLEMENTED},
      {"ITaskSettings::put_Enabled", [&] { return definition->SetEnabled(false); }, HR_OK, HR_OK},
      {"ITaskSettings::put_StartWhenAvailable", [&] { return definition->SetStartWhenAvailable(false); }, HR_OK, HR_OK},
      {"ITaskSettings::put_Priority", [&] { return definition->SetPriority(5); }, HR_OK, HR_OK},
      {"ITaskSettings::put_Compatibility", [&] { return definition->SetCompatibility(tcWin7); }, HR_OK, HR_OK},
      {"IActionCollection::Create exec", [&] { return definition->CreateAction(taExec, action); }, HR_OK, HR_OK},
      {"IExecAction::put_Path", [&] { return action ? action->SetPath("C:\\windows\\notepad.exe") : HR_FAIL; }, HR_OK, HR_OK},
      {"IExecAction::put_Arguments", [&] { return action ? action->SetArguments("") : HR_FAIL; }, HR_OK, HR_OK},
      {"ITriggerCollection::Create daily", [&] { return definition->CreateTrigger(ttDaily, daily); }, HR_OK, HR_OK},
      {"ITrigger::put_StartBoundary", [&] { return daily ? daily->SetStartBoundary("2024-03-04T21:08:00") : HR_FAIL; }, HR_OK, HR_OK},
      {"ITrigger::put_Enabled", [&] { return daily ? daily->SetEnabled(true) : HR_FAIL; }, HR_OK, HR_OK},
      {"IDailyTrigger::put_DaysInterval", [&] { return daily ? daily->SetDaysInterval(1) : HR_FAIL; }, HR_OK, HR_OK},
      {"IWeeklyTrigger on a daily trigger", [&] { return daily ? daily->SetDaysOfWeek(WEEKDAY_MONDAY) : HR_FAIL; }, HR_NO_INTERFACE, HR_NO_INTERFACE},
      {"ITriggerCollection::Create weekly", [&] { return definition->CreateTrigger(ttWeekly, weekly); }, HR_OK, HR_NOT_IMPLEMENTED},
      {"ITriggerCollection::Create time", [&] { return definition->CreateTrigger(ttTime, time); }, HR_OK, HR_NOT_IMPLEMENTED},
      {"ITriggerCollection::Create logon", [&] { return definition->CreateTrigger(ttLogon, logon); }, HR_OK, HR_NOT_IMPLEMENTED},
      {"ITrigger::put_StartBoundary weekly", [&] { return weekly ? weekly->SetStartBoundary("2024-03-04T09:00:00") : HR_NOT_IMPLEMENTED; }, HR_OK, HR_NOT_IMPLEMENTED},
      {"ITrigger::put_StartBoundary time", [&] { return time ? time->SetStartBoundary("2024-03-05T00:00:00") : HR_NOT_IMPLEMENTED; }, HR_OK, HR_NOT_IMPLEMENTED},
      {"IWeeklyTrigger::put_DaysOfWeek", [&] { return weekly ? weekly->SetDaysOfWeek(WEEKDAY_FRIDAY) : HR_NOT_IMPLEMENTED; }, HR_OK, HR_NOT_IMPLEMENTED},
      {"ILogonTrigger::put_Delay", [&] { return logon ? logon->SetDelay("PT10S") : HR_NOT_IMPLEMENTED; }, HR_OK, HR_NOT_IMPLEMENTED},
      {"ITriggerCollection::get_Count", [&] { return definition->TriggerCount(count); }, HR_OK, HR_NOT_IMPLEMENTED},
      {"ITriggerCollection::Remove", [&] { return definition->RemoveTrigger(count); }, HR_OK, HR_NOT_IMPLEMENTED},
      {"ITaskFolder::RegisterTaskDefinition", [&] { return folder->RegisterTask(PORT_TASK, *definition, TASK_FLAG_CREATE_OR_UPDATE, ltToken); }, HR_OK, HR_OK},
  };
  for (const Row& row : rows)
    EXPECT_EQ(Hex(row.call()), Hex(Expected(row.operation, row.windows, row.wine))) << row.operation;

  // Read back: the name ignores case; Wine stores no trigger, action or principal
  // and lists no task.
  std::unique_ptr<ITaskDefinitionPort> registered;
  ASSERT_EQ(Hex(folder->GetTask("QUORVANE PORT TEST", registered)), Hex(HR_OK));
  int32_t triggers = -1, actions = -1;
  EXPECT_EQ(Hex(registered->TriggerCount(triggers)),
            Hex(Expected("registered ITriggerCollection::get_Count", HR_OK, HR_NOT_IMPLEMENTED)));
  EXPECT_EQ(Hex(registered->ActionCount(actions)),
            Hex(Expected("registered IActionCollection::get_Count", HR_OK, HR_NOT_IMPLEMENTED)));
  if (!RunsUnderWine()) {
    EXPECT_EQ(triggers, 3);
    EXPECT_EQ(actions, 1);
  }
  bool enabled = true;
  EXPECT_EQ(Hex(registered->Enabled(enabled)), Hex(HR_OK));
  EXPECT_FALSE(enabled);
  // Wine's ITaskFolder::GetTasks succeeds, but its collection answers no count.
  std::vector<std::string> names;
  EXPECT_EQ(Hex(folder->TaskNames(names)),
            Hex(Expected("IRegisteredTaskCollection::get_Count", HR_OK, HR_NOT_IMPLEMENTED)));
  EXPECT_EQ(std::find(names.begin(), names.end(), PORT_TASK) != names.end(), !RunsUnderWine());
  EXPECT_EQ(Hex(folder->DeleteTask("quorvane port test")), Hex(HR_OK));
  EXPECT_EQ(Hex(folder->DeleteTask(PORT_TASK)), Hex(HR_FILE_NOT_FOUND));

  // The data model on the running service: under Wine the task names cannot be
  // read, so the scheduler is not available (and a logon task could not be filled
  // anyway: no logon type, run level or logon trigger); nothing is registered.
  TDriverDatamodel model(machine.Ports());
  EXPECT_EQ(model.CanSchedule(), !RunsUnderWine());
  EXPECT_EQ(model.UpdateTask(" Port Test", true), !RunsUnderWine());
  EXPECT_EQ(Hex(folder->DeleteTask(PORT_TASK)), Hex(RunsUnderWine() ? HR_FILE_NOT_FOUND : HR_OK));
}

// qvcli.exe schedule on the running service: under Wine the scheduler is not
// available (no task names), so a change fails and registers nothing.
TEST(Win32TaskScheduler, QvcliSchedule) {
  TWin32Machine machine;
  if (IsWindowsXP(machine)) {
    EXPECT_EQ(Qvcli(L"schedule").output, "Task Scheduler: not available\n");
    return;
  }
  std::unique_ptr<ITaskServicePort> service = ConnectedService(machine.scheduler);
  ASSERT_TRUE(service);
  std::unique_ptr<ITaskFolderPort> folder;
  ASSERT_EQ(Hex(service->GetFolder("\\", folder)), Hex(HR_OK));

  const TProgramRun shown = Qvcli(L"schedule");
  EXPECT_EQ(shown.exitCode, 0u);
  EXPECT_EQ(shown.output.substr(0, shown.output.find('\n')),
            RunsUnderWine() ? "Task Scheduler: not available" : "Task Scheduler: available");
  const TProgramRun changed = Qvcli(L"schedule weekly mon,fri 2024-03-04 09:00");
  std::unique_ptr<ITaskDefinitionPort> registered;
  const THResult found = folder->GetTask("Quorvane Scheduled Scan", registered);
  if (RunsUnderWine()) {
    EXPECT_EQ(changed.exitCode, 1u);
    EXPECT_EQ(changed.output.substr(0, changed.output.find('\n')),
              "Failed to create scheduled scan. Please try again, or contact support.");
    EXPECT_EQ(Hex(found), Hex(HR_FILE_NOT_FOUND));
  } else {
    EXPECT_EQ(changed.exitCode, 0u) << changed.output;
    EXPECT_NE(changed.output.find("Scheduled: At 09:00 every"), std::string::npos) << changed.output;
    EXPECT_EQ(Hex(found), Hex(HR_OK));
  }
  EXPECT_EQ(Qvcli(L"schedule never").exitCode, RunsUnderWine() ? 1u : 0u);
  EXPECT_EQ(Hex(folder->GetTask("Quorvane Scheduled Scan", registered)), Hex(HR_FILE_NOT_FOUND));
}

// The logon start on this version of Windows: before Vista the quoted Run value,
// written and deleted, and no RunOnce key made; from Vista on no Run value at all.
TEST(Win32TaskScheduler, LogonStartBeforeVistaIsTheRunValue) {
  TWin32Machine machine;
  const bool xp = IsWindowsXP(machine);
  RecordProperty("windows_major", std::to_string(machine.osVersion.Version().major));
  const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  auto runKey = machine.registry.OpenKey(TRegRoot::CurrentUser, run, TRegAccess::Read, false);
  ASSERT_TRUE(runKey);
  const bool runOnceExisted = machine.registry.OpenKey(TRegRoot::CurrentUser, run + "Once", TRegAccess::Read, false) != nullptr;

  TDriverDatamodel model(machine.Ports());
  EXPECT_EQ(model.IsOsVistaAndAbove(), !xp);
  const bool startAtLogin = model.StartatLogin();
  model.SetStartatLogin(true);
  model.DumpSettings();
  const auto written = runKey->ReadString("Quorvane");
  if (xp) {
    ASSERT_TRUE(written);
    EXPECT_EQ(*written, "\"" + machine.processes.ModuleFileName() + "\"");
    EXPECT_FALSE(model.CanSchedule());
  } else {
    EXPECT_FALSE(written);
  }
  model.RunOnceAtStartupSettings();
  EXPECT_EQ(machine.registry.OpenKey(TRegRoot::CurrentUser, run + "Once", TRegAccess::Read, false) != nullptr,
            runOnceExisted);
  model.SetStartatLogin(false);
  model.DumpSettings();
  EXPECT_FALSE(runKey->ReadString("Quorvane"));
  model.SetStartatLogin(startAtLogin);
  model.DumpSettings();
  // A real Windows run registered the logon tasks; they go again.
  if (!xp && !RunsUnderWine()) {
    model.RemoveTask("");
    model.RemoveTask(TASK_SUFFIX_ONCE);
  }
}

}  // namespace
