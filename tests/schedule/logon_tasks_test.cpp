#include "schedule/schedule_fixture.h"

namespace {

class LogonTasks : public TScheduleFixture {};

TEST_F(LogonTasks, ConnectingOnceAtConstruction) {
  struct Case {
    const char* name;
    TOsVersionNumbers version;
    std::optional<uint32_t> serviceState;
    THResult security;
    const char* failing;  // an operation that fails with E_NOTIMPL, or nullptr
    bool available;
  } cases[] = {
      {"Windows 10", {10, 0, 19045}, SERVICE_STATE_RUNNING, HR_OK, nullptr, true},
      {"security initialised already", {10, 0, 19045}, SERVICE_STATE_RUNNING, HR_SECURITY_INITIALIZED, nullptr, true},
      {"Vista", {6, 0, 6002}, SERVICE_STATE_RUNNING, HR_OK, nullptr, true},
      {"XP", {5, 1, 2600}, SERVICE_STATE_RUNNING, HR_OK, nullptr, false},
      {"service stopped", {10, 0, 19045}, SERVICE_STATE_STOPPED, HR_OK, nullptr, false},
      {"service not found", {10, 0, 19045}, std::nullopt, HR_OK, nullptr, false},
      {"security refused", {10, 0, 19045}, SERVICE_STATE_RUNNING, HR_ACCESS_DENIED, nullptr, false},
      {"scheduler object", {10, 0, 19045}, SERVICE_STATE_RUNNING, HR_OK, "CoCreateInstance", false},
      {"connect", {10, 0, 19045}, SERVICE_STATE_RUNNING, HR_OK, "Connect", false},
      {"root folder", {10, 0, 19045}, SERVICE_STATE_RUNNING, HR_OK, "GetFolder", false},
      {"task names (Wine's collection has no count)", {10, 0, 19045}, SERVICE_STATE_RUNNING, HR_OK, "GetTasks", false},
  };
  for (const Case& c : cases) {
    TSimMachine fresh;
    fresh.shell.appDataFolder = folder.Path();
    fresh.osVersion.version = c.version;
    fresh.scheduler.serviceState = c.serviceState;
    fresh.scheduler.securityResult = c.security;
    if (c.failing) fresh.scheduler.failures[c.failing] = HR_NOT_IMPLEMENTED;
    TDriverDatamodel model(fresh.Ports());
    EXPECT_EQ(model.CanSchedule(), c.available) << c.name;
    EXPECT_EQ(model.Tasks() != nullptr, c.available) << c.name;
    EXPECT_EQ(model.UpdateTask("", true), c.available) << c.name;
    if (c.available) {
      EXPECT_EQ(fresh.scheduler.securityCalls, 1) << c.name;
      EXPECT_EQ(fresh.scheduler.securityAuthentication, 4u) << c.name;
      EXPECT_EQ(fresh.scheduler.securityImpersonation, 3u) << c.name;
    } else {
      EXPECT_TRUE(fresh.scheduler.tasks.empty()) << c.name;
    }
  }
}

TEST_F(LogonTasks, StartupLaunchRegistersTheLogonTaskEnabledOrDisabled) {
  TDriverDatamodel& model = Create();
  for (bool startAtLogin : {true, false}) {
    model.SetStartatLogin(startAtLogin);
    model.DumpSettings();
    ASSERT_EQ(Scheduler().tasks.size(), 1u);
    const TSimTask* task = Task("Quorvane");
    ASSERT_NE(task, nullptr);
    const TSimTaskDefinition& d = task->definition;
    EXPECT_EQ(d.enabled, startAtLogin);
    EXPECT_EQ(task->flags, TASK_FLAG_CREATE_OR_UPDATE);
    EXPECT_EQ(task->logonType, ltToken);
    EXPECT_EQ(d.logonType, ltToken);
    EXPECT_EQ(d.userId, "tester");
    EXPECT_EQ(d.runLevel, rlHighest);
    EXPECT_EQ(d.registrationDate, "2024-03-04T10:20:30");
    EXPECT_EQ(d.description, "Scan for device driver updates");
    EXPECT_FALSE(d.startWhenAvailable);
    EXPECT_EQ(d.priority, 5);
    EXPECT_EQ(d.compatibility, tcWin10);
    ASSERT_EQ(d.actions.size(), 1u);
    EXPECT_EQ(d.actions[0]->type, taExec);
    EXPECT_EQ(d.actions[0]->path, "C:\\Program Files\\Quorvane\\Quorvane.exe");
    EXPECT_EQ(d.actions[0]->arguments, "");
    ASSERT_EQ(d.triggers.size(), 1u);
    const TSimTrigger& trigger = *d.triggers[0];
    EXPECT_EQ(trigger.type, ttLogon);
    EXPECT_TRUE(trigger.enabled);
    EXPECT_EQ(trigger.delay, "PT10S");
    EXPECT_EQ(trigger.userId, "tester");
    EXPECT_EQ(trigger.startBoundary, "2024-03-04T10:20:30");
  }
}

TEST_F(LogonTasks, AnExistingTaskKeepsOneTriggerAndItsExecAction) {
  // Found without regard to case; two triggers; a mail action before the exec action.
  AddTask("QUORVANE");
  TSimTaskDefinition& existing = Scheduler().tasks[0].definition;
  existing.compatibility = tcVista;
  existing.triggers.push_back(SimTrigger(ttDaily));
  existing.actions.insert(existing.actions.begin(), std::make_shared<TSimAction>(TSimAction{taMail, "", ""}));
  TDriverDatamodel& model = Create();
  ASSERT_TRUE(model.UpdateTask("", true));
  ASSERT_EQ(Scheduler().tasks.size(), 1u);
  const TSimTask& task = Scheduler().tasks[0];
  EXPECT_EQ(task.name, "QUORVANE");
  ASSERT_EQ(task.definition.triggers.size(), 1u);
  EXPECT_EQ(task.definition.triggers[0]->type, ttLogon);
  ASSERT_EQ(task.definition.actions.size(), 2u);
  EXPECT_EQ(task.definition.actions[1]->path, "C:\\Program Files\\Quorvane\\Quorvane.exe");
  EXPECT_EQ(task.definition.actions[1]->arguments, "");
  EXPECT_EQ(task.definition.compatibility, tcVista) << "an existing definition keeps its compatibility";
}

TEST_F(LogonTasks, CompatibilityOfANewDefinition) {
  struct Case {
    TOsVersionNumbers version;
    TTaskCompatibility expected;
  } cases[] = {
      {{4, 0, 1381}, tcAT}, {{5, 1, 2600}, tcXP}, {{6, 0, 6002}, tcVista},
      {{6, 1, 7601}, tcWin7}, {{6, 3, 9600}, tcWin7}, {{10, 0, 22631}, tcWin10},
  };
  for (const Case& c : cases) EXPECT_EQ(CompatibilityFor(c.version), c.expected) << c.version.major << "." << c.version.minor;
  machine.osVersion.version = {6, 1, 7601};
  Create().UpdateTask("", true);
  ASSERT_NE(Task("Quorvane"), nullptr);
  EXPECT_EQ(Task("Quorvane")->definition.compatibility, tcWin7);
}

TEST_F(LogonTasks, OnceTaskOnlyWithStartupLaunchAndGoneAtTheNextStart) {
  TDriverDatamodel& model = Create();
  model.RunOnceAtStartupSettings();
  EXPECT_EQ(Task("QuorvaneOnce"), nullptr);
  model.SetStartatLogin(true);
  model.RunOnceAtStartupSettings();
  ASSERT_NE(Task("QuorvaneOnce"), nullptr);
  EXPECT_TRUE(Task("QuorvaneOnce")->definition.enabled);
  Create();
  EXPECT_EQ(Task("QuorvaneOnce"), nullptr);
}

TEST_F(LogonTasks, AFailedStepRegistersNothing) {
  // Every operation Wine's Task Scheduler lacks, and the registration itself.
  struct Case {
    const char* operation;
    THResult hr;
    bool existingTask;
  } cases[] = {
      {"put_LogonType", HR_NOT_IMPLEMENTED, false},
      {"put_RunLevel", HR_NOT_IMPLEMENTED, false},
      {"CreateTrigger 9", HR_NOT_IMPLEMENTED, false},
      {"put_Delay", HR_NOT_IMPLEMENTED, false},
      {"ITriggerCollection::Remove", HR_NOT_IMPLEMENTED, true},
      {"ITriggerCollection::get_Count", HR_NOT_IMPLEMENTED, false},
      {"IActionCollection::get_Count", HR_NOT_IMPLEMENTED, false},
      {"CreateAction 0", HR_FAIL, false},
      {"RegisterTask", HR_ACCESS_DENIED, false},
  };
  for (const Case& c : cases) {
    Scheduler().tasks.clear();
    Scheduler().failures.clear();
    if (c.existingTask) AddTask("Quorvane");
    TDriverDatamodel& model = Create();
    Scheduler().failures[c.operation] = c.hr;
    EXPECT_FALSE(model.UpdateTask("", true)) << c.operation;
    EXPECT_EQ(Scheduler().tasks.size(), c.existingTask ? 1u : 0u) << c.operation;
    if (c.existingTask) {
      EXPECT_EQ(Scheduler().tasks[0].definition.triggers[0]->type, ttTime) << c.operation;
    }
  }
}

TEST_F(LogonTasks, AFailedDeletionKeepsTheTask) {
  AddTask("QuorvaneOnce");
  Scheduler().failures["DeleteTask"] = HR_ACCESS_DENIED;
  TDriverDatamodel& model = Create();
  EXPECT_NE(Task("QuorvaneOnce"), nullptr);
  EXPECT_TRUE(model.Tasks()->RootFolder().Exists("quorvaneonce"));
  Scheduler().failures.clear();
  model.RemoveTask("Once");
  EXPECT_EQ(Task("QuorvaneOnce"), nullptr);
  EXPECT_FALSE(model.Tasks()->RootFolder().Exists("QuorvaneOnce"));
}

TEST_F(LogonTasks, BeforeVistaTheRunValuesHoldTheQuotedPath) {
  machine.osVersion.version = {5, 1, 2600};
  machine.osVersion.productType.reset();
  const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  machine.registry.SetString(TRegRoot::CurrentUser, run, "Other", "C:\\other.exe");
  TDriverDatamodel& model = Create();
  EXPECT_FALSE(model.CanSchedule());
  model.SetStartatLogin(true);
  model.DumpSettings();
  const TSimRegValue* value = machine.registry.Value(TRegRoot::CurrentUser, run, "Quorvane");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->type, REG_SZ);
  EXPECT_EQ(value->text, "\"C:\\Program Files\\Quorvane\\Quorvane.exe\"");
  // RunOnce does not exist: it is not created.
  model.RunOnceAtStartupSettings();
  EXPECT_FALSE(machine.registry.KeyExists(TRegRoot::CurrentUser, run + "Once"));
  model.SetStartatLogin(false);
  model.DumpSettings();
  EXPECT_EQ(machine.registry.Value(TRegRoot::CurrentUser, run, "Quorvane"), nullptr);
  EXPECT_NE(machine.registry.Value(TRegRoot::CurrentUser, run, "Other"), nullptr);
  EXPECT_TRUE(Scheduler().tasks.empty());
  EXPECT_EQ(Scheduler().securityCalls, 0);
}

TEST_F(LogonTasks, BeforeVistaRunOnceWhenTheKeyExists) {
  machine.osVersion.version = {5, 1, 2600};
  const std::string runOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
  machine.registry.SetString(TRegRoot::CurrentUser, runOnce, "Other", "x");
  TDriverDatamodel& model = Create();
  model.SetStartatLogin(true);
  model.RunOnceAtStartupSettings();
  const TSimRegValue* value = machine.registry.Value(TRegRoot::CurrentUser, runOnce, "Quorvane");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->text, "\"C:\\Program Files\\Quorvane\\Quorvane.exe\"");
}

}  // namespace
