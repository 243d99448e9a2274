// Task-scheduler port: the Task Scheduler service as the program uses it (service
// state, COM security, connecting, the root folder and task definitions with their
// principal, settings, exec actions and triggers). Every call answers the HRESULT
// the platform gave, so the caller's logic decides what a failure means.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using THResult = int32_t;

constexpr bool HrSucceeded(THResult hr) { return hr >= 0; }

// HRESULTs the program and its tests rely on.
constexpr THResult HR_OK = 0;
constexpr THResult HR_NOT_IMPLEMENTED = static_cast<THResult>(0x80004001);     // E_NOTIMPL
constexpr THResult HR_NO_INTERFACE = static_cast<THResult>(0x80004002);        // E_NOINTERFACE
constexpr THResult HR_FAIL = static_cast<THResult>(0x80004005);                // E_FAIL
constexpr THResult HR_FILE_NOT_FOUND = static_cast<THResult>(0x80070002);      // ERROR_FILE_NOT_FOUND
constexpr THResult HR_ACCESS_DENIED = static_cast<THResult>(0x80070005);       // E_ACCESSDENIED
constexpr THResult HR_INVALID_ARG = static_cast<THResult>(0x80070057);         // E_INVALIDARG
constexpr THResult HR_ALREADY_EXISTS = static_cast<THResult>(0x800700B7);      // ERROR_ALREADY_EXISTS
constexpr THResult HR_SECURITY_INITIALIZED = static_cast<THResult>(0x80010119);  // RPC_E_TOO_LATE
constexpr THResult HR_SERVICE_NOT_RUNNING = static_cast<THResult>(0x80041315);   // SCHED_E_SERVICE_NOT_RUNNING

// SERVICE_STATUS.dwCurrentState values.
constexpr uint32_t SERVICE_STATE_STOPPED = 1;
constexpr uint32_t SERVICE_STATE_RUNNING = 4;

// TASK_CREATION values of RegisterTaskDefinition.
constexpr int32_t TASK_FLAG_CREATE = 2;
constexpr int32_t TASK_FLAG_UPDATE = 4;
constexpr int32_t TASK_FLAG_CREATE_OR_UPDATE = 6;

// COM security levels of CoInitializeSecurity.
constexpr uint32_t RPC_AUTHN_LEVEL_PACKET = 4;
constexpr uint32_t RPC_IMP_LEVEL_IMPERSONATE = 3;

// One action of a definition (IAction, IExecAction).
class ITaskActionPort {
 public:
  virtual ~ITaskActionPort() = default;
  virtual THResult Type(int32_t& type) = 0;
  virtual THResult Path(std::string& path) = 0;
  virtual THResult SetPath(const std::string& path) = 0;
  virtual THResult Arguments(std::string& arguments) = 0;
  virtual THResult SetArguments(const std::string& arguments) = 0;
};

// One trigger (ITrigger with its repetition; the daily, weekly and logon forms
// answer E_NOINTERFACE for a trigger of another type).
class ITaskTriggerPort {
 public:
  virtual ~ITaskTriggerPort() = default;
  virtual THResult Type(int32_t& type) = 0;
  virtual THResult Enabled(bool& enabled) = 0;
  virtual THResult SetEnabled(bool enabled) = 0;
  virtual THResult StartBoundary(std::string& boundary) = 0;
  virtual THResult SetStartBoundary(const std::string& boundary) = 0;
  virtual THResult Repetition(std::string& interval, std::string& duration) = 0;
  virtual THResult DaysInterval(int16_t& days) = 0;
  virtual THResult SetDaysInterval(int16_t days) = 0;
  virtual THResult DaysOfWeek(int16_t& days) = 0;
  virtual THResult SetDaysOfWeek(int16_t days) = 0;
  virtual THResult WeeksInterval(int16_t& weeks) = 0;
  virtual THResult SetWeeksInterval(int16_t weeks) = 0;
  virtual THResult Delay(std::string& delay) = 0;
  virtual THResult SetDelay(const std::string& delay) = 0;
  virtual THResult UserId(std::string& user) = 0;
  virtual THResult SetUserId(const std::string& user) = 0;
};

// A task definition (ITaskDefinition with its registration information,
// principal, settings, trigger collection and action collection). Indexes of
// triggers and actions start at 1, as in the collections.
class ITaskDefinitionPort {
 public:
  virtual ~ITaskDefinitionPort() = default;
  virtual THResult Description(std::string& text) = 0;
  virtual THResult SetDescription(const std::string& text) = 0;
  virtual THResult SetRegistrationDate(const std::string& date) = 0;
  virtual THResult SetLogonType(int32_t type) = 0;
  virtual THResult SetUserId(const std::string& user) = 0;
  virtual THResult SetRunLevel(int32_t level) = 0;
  virtual THResult Enabled(bool& enabled) = 0;
  virtual THResult SetEnabled(bool enabled) = 0;
  virtual THResult SetStartWhenAvailable(bool start) = 0;
  virtual THResult SetPriority(int32_t priority) = 0;
  virtual THResult SetCompatibility(int32_t level) = 0;
  virtual THResult TriggerCount(int32_t& count) = 0;
  virtual THResult Trigger(int32_t index, std::unique_ptr<ITaskTriggerPort>& trigger) = 0;
  virtual THResult CreateTrigger(int32_t type, std::unique_ptr<ITaskTriggerPort>& trigger) = 0;
  virtual THResult RemoveTrigger(int32_t index) = 0;
  virtual THResult ActionCount(int32_t& count) = 0;
  virtual THResult Action(int32_t index, std::unique_ptr<ITaskActionPort>& action) = 0;
  virtual THResult CreateAction(int32_t type, std::unique_ptr<ITaskActionPort>& action) = 0;
};

// A task folder (ITaskFolder). GetTask answers the registered task's definition.
class ITaskFolderPort {
 public:
  virtual ~ITaskFolderPort() = default;
  virtual THResult TaskNames(std::vector<std::string>& names) = 0;
  virtual THResult GetTask(const std::string& name, std::unique_ptr<ITaskDefinitionPort>& definition) = 0;
  virtual THResult DeleteTask(const std::string& name) = 0;
  // RegisterTaskDefinition with no user name and no password.
  virtual THResult RegisterTask(const std::string& name, ITaskDefinitionPort& definition, int32_t flags,
                                int32_t logonType) = 0;
};

// The TaskScheduler object (ITaskService).
class ITaskServicePort {
 public:
  virtual ~ITaskServicePort() = default;
  // Connect to the local service with no server, user, domain or password.
  virtual THResult Connect() = 0;
  virtual THResult GetFolder(const std::string& path, std::unique_ptr<ITaskFolderPort>& folder) = 0;
  virtual THResult NewTask(std::unique_ptr<ITaskDefinitionPort>& definition) = 0;
};

class ITaskSchedulerPort {
 public:
  virtual ~ITaskSchedulerPort() = default;
  // The current state of the service "schedule"; nothing when it cannot be queried.
  virtual std::optional<uint32_t> ServiceState() = 0;
  // CoInitializeSecurity with default authentication services, the given levels
  // and no capabilities.
  virtual THResult InitializeSecurity(uint32_t authenticationLevel, uint32_t impersonationLevel) = 0;
  // Creates the TaskScheduler object.
  virtual THResult CreateTaskService(std::unique_ptr<ITaskServicePort>& service) = 0;
};
