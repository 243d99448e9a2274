// Simulated Task Scheduler: one user's root folder whose tasks live as long as the
// object (one program run), task names that ignore case, create-or-update, the
// service state, and failures a test injects by operation name, each with the
// HRESULT the platform gives. Every field of a definition is kept for tests to read.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/task_scheduler.h"

struct TSimTrigger {
  int32_t type = 0;
  bool enabled = true;
  std::string startBoundary;
  std::string repetitionInterval;
  std::string repetitionDuration;
  int16_t daysInterval = 1;
  int16_t daysOfWeek = 0;
  int16_t weeksInterval = 1;
  std::string delay;
  std::string userId;
};

struct TSimAction {
  int32_t type = 0;
  std::string path;
  std::string arguments;
};

// A definition as Windows makes a new one: enabled, priority 7, compatibility 2.
struct TSimTaskDefinition {
  std::string description;
  std::string registrationDate;
  int32_t logonType = 0;
  std::string userId;
  int32_t runLevel = 0;
  bool enabled = true;
  bool startWhenAvailable = false;
  int32_t priority = 7;
  int32_t compatibility = 2;
  std::vector<std::shared_ptr<TSimTrigger>> triggers;
  std::vector<std::shared_ptr<TSimAction>> actions;

  // A copy that shares no trigger or action with this one.
  std::shared_ptr<TSimTaskDefinition> Copy() const;
};

struct TSimTask {
  std::string name;
  TSimTaskDefinition definition;
  int32_t flags = 0;
  int32_t logonType = 0;
};

class TSimTaskScheduler : public ITaskSchedulerPort {
 public:
  std::optional<uint32_t> serviceState = SERVICE_STATE_RUNNING;
  THResult securityResult = HR_OK;
  // Operations that fail, by name ("CoCreateInstance", "Connect", "GetFolder",
  // "GetTasks", "NewTask", "RegisterTask", "DeleteTask", a property such as
  // "put_LogonType", "ITriggerCollection::get_Count", "ITriggerCollection::Remove",
  // a created type such as "CreateTrigger 3" or "CreateAction 0"), with the HRESULT
  // they answer.
  std::map<std::string, THResult> failures;
  std::vector<TSimTask> tasks;
  int securityCalls = 0;
  uint32_t securityAuthentication = 0;
  uint32_t securityImpersonation = 0;

  // The task of that name, ignoring case; nullptr when there is none.
  TSimTask* Find(const std::string& name);
  // Fails an operation when a test asked for it.
  THResult Answer(const std::string& operation) const;

  std::optional<uint32_t> ServiceState() override { return serviceState; }
  THResult InitializeSecurity(uint32_t authenticationLevel, uint32_t impersonationLevel) override;
  THResult CreateTaskService(std::unique_ptr<ITaskServicePort>& service) override;
};
