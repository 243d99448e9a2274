// The Task Scheduler wrapper: a connection (TWinTaskScheduler), a folder and its
// registered tasks (TWinTaskFolder), a definition (TWinTask) with its settings,
// actions and triggers, over the task-scheduler port. Enumerations carry the
// platform's values. Every call answers success; LastResult keeps the HRESULT.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/task_scheduler.h"

enum TTaskLogonType {
  ltNone = 0, ltPassword = 1, ltS4U = 2, ltToken = 3, ltGroup = 4, ltService = 5, ltTokenPassword = 6
};
enum TTaskTriggerType {
  ttEvent = 0, ttTime = 1, ttDaily = 2, ttWeekly = 3, ttMonthly = 4, ttMonthlyDow = 5, ttIdle = 6,
  ttRegistration = 7, ttBoot = 8, ttLogon = 9, ttSessionStateChange = 11, ttCustom = 12
};
enum TTaskActionType { taExec = 0, taCom = 5, taMail = 6, taMessage = 7 };
enum TTaskCompatibility { tcAT = 0, tcXP = 1, tcVista = 2, tcWin7 = 3, tcWin10 = 4 };
enum TTaskRunLevel { rlLUA = 0, rlHighest = 1 };
// Thread priorities, as a task's priority is given.
enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// Weekday bits of a weekly trigger.
constexpr int16_t WEEKDAY_SUNDAY = 1;
constexpr int16_t WEEKDAY_MONDAY = 2;
constexpr int16_t WEEKDAY_TUESDAY = 4;
constexpr int16_t WEEKDAY_WEDNESDAY = 8;
constexpr int16_t WEEKDAY_THURSDAY = 16;
constexpr int16_t WEEKDAY_FRIDAY = 32;
constexpr int16_t WEEKDAY_SATURDAY = 64;

// The platform's task priority of a thread priority: idle 10 ... time-critical 0.
int32_t TaskPriority(TThreadPriority priority);

class TWinTaskAction {
 public:
  explicit TWinTaskAction(std::unique_ptr<ITaskActionPort> port) : m_port(std::move(port)) {}
  std::optional<TTaskActionType> ActionType();
  bool SetPath(const std::string& path) { return Ok(m_port->SetPath(path)); }
  bool SetArguments(const std::string& arguments) { return Ok(m_port->SetArguments(arguments)); }
  std::string Path();
  THResult LastResult() const { return m_last; }

 private:
  bool Ok(THResult hr) { return HrSucceeded(m_last = hr); }
  std::unique_ptr<ITaskActionPort> m_port;
  THResult m_last = HR_OK;
};

// What a trigger holds, read in one go for describing and reading back.
struct TTriggerFacts {
  TTaskTriggerType type = ttTime;
  bool enabled = true;
  std::string startBoundary;
  std::string repetitionInterval;
  std::string repetitionDuration;
  int16_t daysInterval = 1;
  int16_t daysOfWeek = 0;
  int16_t weeksInterval = 1;
  std::string userId;
};

class TWinTaskTrigger {
 public:
  explicit TWinTaskTrigger(std::unique_ptr<ITaskTriggerPort> port) : m_port(std::move(port)) {}
  std::optional<TTaskTriggerType> TriggerType();
  bool SetEnabled(bool enabled) { return Ok(m_port->SetEnabled(enabled)); }
  bool SetStartBoundary(const std::string& boundary) { return Ok(m_port->SetStartBoundary(boundary)); }
  bool SetDaysInterval(int16_t days) { return Ok(m_port->SetDaysInterval(days)); }
  bool SetDaysOfWeek(int16_t days) { return Ok(m_port->SetDaysOfWeek(days)); }
  bool SetWeeksInterval(int16_t weeks) { return Ok(m_port->SetWeeksInterval(weeks)); }
  bool SetDelay(const std::string& delay) { return Ok(m_port->SetDelay(delay)); }
  bool SetUserId(const std::string& user) { return Ok(m_port->SetUserId(user)); }
  // The facts of the trigger; the ones its type does not have keep their defaults.
  std::optional<TTriggerFacts> Facts();
  THResult LastResult() const { return m_last; }

 private:
  bool Ok(THResult hr) { return HrSucceeded(m_last = hr); }
  std::unique_ptr<ITaskTriggerPort> m_port;
  THResult m_last = HR_OK;
};

// The settings of a definition.
class TWinTaskSettings {
 public:
  explicit TWinTaskSettings(ITaskDefinitionPort& port, THResult& last) : m_port(port), m_last(last) {}
  bool SetEnabled(bool enabled) { return Ok(m_port.SetEnabled(enabled)); }
  std::optional<bool> Enabled();
  bool SetStartWhenAvailable(bool start) { return Ok(m_port.SetStartWhenAvailable(start)); }
  bool SetPriority(TThreadPriority priority) { return Ok(m_port.SetPriority(TaskPriority(priority))); }
  bool SetCompatibility(TTaskCompatibility level) { return Ok(m_port.SetCompatibility(level)); }

 private:
  bool Ok(THResult hr) { return HrSucceeded(m_last = hr); }
  ITaskDefinitionPort& m_port;
  THResult& m_last;
};

// A task definition: registration information, principal, settings, triggers, actions.
class TWinTask {
 public:
  explicit TWinTask(std::unique_ptr<ITaskDefinitionPort> port) : m_port(std::move(port)) {}
  ITaskDefinitionPort& Port() { return *m_port; }
  bool SetDescription(const std::string& text) { return Ok(m_port->SetDescription(text)); }
  bool SetRegistrationDate(const std::string& date) { return Ok(m_port->SetRegistrationDate(date)); }
  bool SetLogonType(TTaskLogonType type) { return Ok(m_port->SetLogonType(type)); }
  bool SetUserId(const std::string& user) { return Ok(m_port->SetUserId(user)); }
  bool SetRunLevel(TTaskRunLevel level) { return Ok(m_port->SetRunLevel(level)); }
  TWinTaskSettings Settings() { return TWinTaskSettings(*m_port, m_last); }
  std::optional<int32_t> TriggerCount();
  std::unique_ptr<TWinTaskTrigger> Trigger(int32_t index);
  std::unique_ptr<TWinTaskTrigger> CreateTrigger(TTaskTriggerType type);
  bool RemoveTrigger(int32_t index) { return Ok(m_port->RemoveTrigger(index)); }
  // The first exec action; nullptr when there is none.
  std::unique_ptr<TWinTaskAction> FirstExecAction();
  std::unique_ptr<TWinTaskAction> CreateAction(TTaskActionType type);
  THResult LastResult() const { return m_last; }

 private:
  bool Ok(THResult hr) { return HrSucceeded(m_last = hr); }
  std::unique_ptr<ITaskDefinitionPort> m_port;
  THResult m_last = HR_OK;
};

// A folder and the names of its registered tasks, compared without case.
class TWinTaskFolder {
 public:
  explicit TWinTaskFolder(std::unique_ptr<ITaskFolderPort> port) : m_port(std::move(port)) {}
  // Reads the names of the registered tasks again.
  bool Refresh();
  const std::vector<std::string>& TaskNames() const { return m_names; }
  bool Exists(const std::string& name) const;
  // The registered task's definition; nullptr when it cannot be had.
  std::unique_ptr<TWinTask> GetTask(const std::string& name);
  bool DeleteTask(const std::string& name);
  // Registers the definition as create-or-update, with no user and no password.
  bool RegisterTask(const std::string& name, TWinTask& task, TTaskLogonType logonType);
  THResult LastResult() const { return m_last; }

 private:
  bool Ok(THResult hr) { return HrSucceeded(m_last = hr); }
  std::unique_ptr<ITaskFolderPort> m_port;
  std::vector<std::string> m_names;
  THResult m_last = HR_OK;
};

// The connection to the Task Scheduler and its root folder "\".
class TWinTaskScheduler {
 public:
  // The connection steps after the version and service checks: COM security, the
  // scheduler object, connecting, the root folder and its task names. Nothing
  // when a step fails; `failure` then holds its HRESULT.
  static std::unique_ptr<TWinTaskScheduler> Connect(ITaskSchedulerPort& port, THResult& failure);

  TWinTaskFolder& RootFolder() { return *m_root; }
  // A new, empty definition; nullptr when it cannot be made.
  std::unique_ptr<TWinTask> NewTask();
  THResult LastResult() const { return m_last; }

 private:
  TWinTaskScheduler(std::unique_ptr<ITaskServicePort> service, std::unique_ptr<TWinTaskFolder> root)
      : m_service(std::move(service)), m_root(std::move(root)) {}
  std::unique_ptr<ITaskServicePort> m_service;
  std::unique_ptr<TWinTaskFolder> m_root;
  THResult m_last = HR_OK;
};
