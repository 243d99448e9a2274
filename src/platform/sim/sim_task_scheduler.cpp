#include "platform/sim/sim_task_scheduler.h"

#include <algorithm>

#include "platform/ascii_case.h"

std::shared_ptr<TSimTaskDefinition> TSimTaskDefinition::Copy() const {
  auto copy = std::make_shared<TSimTaskDefinition>(*this);
  for (auto& trigger : copy->triggers) trigger = std::make_shared<TSimTrigger>(*trigger);
  for (auto& action : copy->actions) action = std::make_shared<TSimAction>(*action);
  return copy;
}

TSimTask* TSimTaskScheduler::Find(const std::string& name) {
  for (TSimTask& task : tasks)
    if (EqualsIgnoringAsciiCase(task.name, name)) return &task;
  return nullptr;
}

THResult TSimTaskScheduler::Answer(const std::string& operation) const {
  auto failure = failures.find(operation);
  return failure == failures.end() ? HR_OK : failure->second;
}

THResult TSimTaskScheduler::InitializeSecurity(uint32_t authenticationLevel, uint32_t impersonationLevel) {
  ++securityCalls;
  securityAuthentication = authenticationLevel;
  securityImpersonation = impersonationLevel;
  return securityResult;
}

namespace {

constexpr int32_t TRIGGER_DAILY = 2;
constexpr int32_t TRIGGER_WEEKLY = 3;
constexpr int32_t TRIGGER_BOOT = 8;
constexpr int32_t TRIGGER_LOGON = 9;

class TSimActionPort : public ITaskActionPort {
 public:
  TSimActionPort(const TSimTaskScheduler& scheduler, std::shared_ptr<TSimAction> action)
      : m_scheduler(scheduler), m_action(std::move(action)) {}
  THResult Type(int32_t& type) override { return Read(type, m_action->type); }
  THResult Path(std::string& path) override { return Read(path, m_action->path); }
  THResult SetPath(const std::string& path) override { return Write("put_Path", m_action->path, path); }
  THResult Arguments(std::string& arguments) override { return Read(arguments, m_action->arguments); }
  THResult SetArguments(const std::string& arguments) override {
    return Write("put_Arguments", m_action->arguments, arguments);
  }

 private:
  template <typename T>
  static THResult Read(T& out, const T& value) {
    out = value;
    return HR_OK;
  }
  template <typename T>
  THResult Write(const std::string& operation, T& field, const T& value) {
    const THResult hr = m_scheduler.Answer(operation);
    if (HrSucceeded(hr)) field = value;
    return hr;
  }
  const TSimTaskScheduler& m_scheduler;
  std::shared_ptr<TSimAction> m_action;
};

class TSimTriggerPort : public ITaskTriggerPort {
 public:
  TSimTriggerPort(const TSimTaskScheduler& scheduler, std::shared_ptr<TSimTrigger> trigger)
      : m_scheduler(scheduler), m_trigger(std::move(trigger)) {}
  THResult Type(int32_t& type) override { return Read(true, type, m_trigger->type); }
  THResult Enabled(bool& enabled) override { return Read(true, enabled, m_trigger->enabled); }
  THResult SetEnabled(bool enabled) override { return Write(true, "put_Enabled", m_trigger->enabled, enabled); }
  THResult StartBoundary(std::string& boundary) override {
    return Read(true, boundary, m_trigger->startBoundary);
  }
  THResult SetStartBoundary(const std::string& boundary) override {
    return Write(true, "put_StartBoundary", m_trigger->startBoundary, boundary);
  }
  THResult Repetition(std::string& interval, std::string& duration) override {
    interval = m_trigger->repetitionInterval;
    duration = m_trigger->repetitionDuration;
    return HR_OK;
  }
  THResult DaysInterval(int16_t& days) override { return Read(Is(TRIGGER_DAILY), days, m_trigger->daysInterval); }
  THResult SetDaysInterval(int16_t days) override {
    return Write(Is(TRIGGER_DAILY), "put_DaysInterval", m_trigger->daysInterval, days);
  }
  THResult DaysOfWeek(int16_t& days) override { return Read(Is(TRIGGER_WEEKLY), days, m_trigger->daysOfWeek); }
  THResult SetDaysOfWeek(int16_t days) override {
    return Write(Is(TRIGGER_WEEKLY), "put_DaysOfWeek", m_trigger->daysOfWeek, days);
  }
  THResult WeeksInterval(int16_t& weeks) override {
    return Read(Is(TRIGGER_WEEKLY), weeks, m_trigger->weeksInterval);
  }
  THResult SetWeeksInterval(int16_t weeks) override {
    return Write(Is(TRIGGER_WEEKLY), "put_WeeksInterval", m_trigger->weeksInterval, weeks);
  }
  THResult Delay(std::string& delay) override { return Read(HasDelay(), delay, m_trigger->delay); }
  THResult SetDelay(const std::string& delay) override {
    return Write(HasDelay(), "put_Delay", m_trigger->delay, delay);
  }
  THResult UserId(std::string& user) override { return Read(Is(TRIGGER_LOGON), user, m_trigger->userId); }
  THResult SetUserId(const std::string& user) override {
    return Write(Is(TRIGGER_LOGON), "put_UserId", m_trigger->userId, user);
  }

 private:
  bool Is(int32_t type) const { return m_trigger->type == type; }
  bool HasDelay() const { return Is(TRIGGER_LOGON) || Is(TRIGGER_BOOT) || Is(0); }
  template <typename T>
  static THResult Read(bool applies, T& out, const T& value) {
    if (!applies) return HR_NO_INTERFACE;
    out = value;
    return HR_OK;
  }
  template <typename T>
  THResult Write(bool applies, const std::string& operation, T& field, const T& value) {
    if (!applies) return HR_NO_INTERFACE;
    const THResult hr = m_scheduler.Answer(operation);
    if (HrSucceeded(hr)) field = value;
    return hr;
  }
  const TSimTaskScheduler& m_scheduler;
  std::shared_ptr<TSimTrigger> m_trigger;
};

class TSimDefinitionPort : public ITaskDefinitionPort {
 public:
  TSimDefinitionPort(const TSimTaskScheduler& scheduler, std::shared_ptr<TSimTaskDefinition> definition)
      : m_scheduler(scheduler), m_definition(std::move(definition)) {}
  const TSimTaskDefinition& Definition() const { return *m_definition; }

  THResult Description(std::string& text) override {
    text = m_definition->description;
    return HR_OK;
  }
  THResult SetDescription(const std::string& text) override {
    return Write("put_Description", m_definition->description, text);
  }
  THResult SetRegistrationDate(const std::string& date) override {
    return Write("put_Date", m_definition->registrationDate, date);
  }
  THResult SetLogonType(int32_t type) override { return Write("put_LogonType", m_definition->logonType, type); }
  THResult SetUserId(const std::string& user) override { return Write("put_UserId", m_definition->userId, user); }
  THResult SetRunLevel(int32_t level) override { return Write("put_RunLevel", m_definition->runLevel, level); }
  THResult Enabled(bool& enabled) override {
    enabled = m_definition->enabled;
    return HR_OK;
  }
  THResult SetEnabled(bool enabled) override { return Write("put_Enabled", m_definition->enabled, enabled); }
  THResult SetStartWhenAvailable(bool start) override {
    return Write("put_StartWhenAvailable", m_definition->startWhenAvailable, start);
  }
  THResult SetPriority(int32_t priority) override {
    return Write("put_Priority", m_definition->priority, priority);
  }
  THResult SetCompatibility(int32_t level) override {
    return Write("put_Compatibility", m_definition->compatibility, level);
  }
  THResult TriggerCount(int32_t& count) override {
    count = static_cast<int32_t>(m_definition->triggers.size());
    return HR_OK;
  }
  THResult Trigger(int32_t index, std::unique_ptr<ITaskTriggerPort>& trigger) override {
    if (index < 1 || index > static_cast<int32_t>(m_definition->triggers.size())) return HR_INVALID_ARG;
    trigger = std::make_unique<TSimTriggerPort>(m_scheduler, m_definition->triggers[static_cast<size_t>(index - 1)]);
    return HR_OK;
  }
  THResult CreateTrigger(int32_t type, std::unique_ptr<ITaskTriggerPort>& trigger) override {
    const THResult hr = m_scheduler.Answer("CreateTrigger " + std::to_string(type));
    if (!HrSucceeded(hr)) return hr;
    auto created = std::make_shared<TSimTrigger>();
    created->type = type;
    m_definition->triggers.push_back(created);
    trigger = std::make_unique<TSimTriggerPort>(m_scheduler, created);
    return HR_OK;
  }
  THResult RemoveTrigger(int32_t index) override {
    const THResult hr = m_scheduler.Answer("ITriggerCollection::Remove");
    if (!HrSucceeded(hr)) return hr;
    auto& triggers = m_definition->triggers;
    if (index < 1 || index > static_cast<int32_t>(triggers.size())) return HR_INVALID_ARG;
    triggers.erase(triggers.begin() + (index - 1));
    return HR_OK;
  }
  THResult ActionCount(int32_t& count) override {
    count = static_cast<int32_t>(m_definition->actions.size());
    return HR_OK;
  }
  THResult Action(int32_t index, std::unique_ptr<ITaskActionPort>& action) override {
    if (index < 1 || index > static_cast<int32_t>(m_definition->actions.size())) return HR_INVALID_ARG;
    action = std::make_unique<TSimActionPort>(m_scheduler, m_definition->actions[static_cast<size_t>(index - 1)]);
    return HR_OK;
  }
  THResult CreateAction(int32_t type, std::unique_ptr<ITaskActionPort>& action) override {
    const THResult hr = m_scheduler.Answer("CreateAction " + std::to_string(type));
    if (!HrSucceeded(hr)) return hr;
    auto created = std::make_shared<TSimAction>();
    created->type = type;
    m_definition->actions.push_back(created);
    action = std::make_unique<TSimActionPort>(m_scheduler, created);
    return HR_OK;
  }

 private:
  template <typename T>
  THResult Write(const std::string& operation, T& field, const T& value) {
    const THResult hr = m_scheduler.Answer(operation);
    if (HrSucceeded(hr)) field = value;
    return hr;
  }
  const TSimTaskScheduler& m_scheduler;
  std::shared_ptr<TSimTaskDefinition> m_definition;
};

class TSimFolderPort : public ITaskFolderPort {
 public:
  explicit TSimFolderPort(TSimTaskScheduler& scheduler) : m_scheduler(scheduler) {}

  THResult TaskNames(std::vector<std::string>& names) override {
    const THResult hr = m_scheduler.Answer("GetTasks");
    if (!HrSucceeded(hr)) return hr;
    names.clear();
    for (const TSimTask& task : m_scheduler.tasks) names.push_back(task.name);
    return HR_OK;
  }
  THResult GetTask(const std::string& name, std::unique_ptr<ITaskDefinitionPort>& definition) override {
    TSimTask* task = m_scheduler.Find(name);
    if (task == nullptr) return HR_FILE_NOT_FOUND;
    definition = std::make_unique<TSimDefinitionPort>(m_scheduler, task->definition.Copy());
    return HR_OK;
  }
  THResult DeleteTask(const std::string& name) override {
    const THResult hr = m_scheduler.Answer("DeleteTask");
    if (!HrSucceeded(hr)) return hr;
    auto& tasks = m_scheduler.tasks;
    auto task = std::find_if(tasks.begin(), tasks.end(),
                             [&](const TSimTask& each) { return EqualsIgnoringAsciiCase(each.name, name); });
    if (task == tasks.end()) return HR_FILE_NOT_FOUND;
    tasks.erase(task);
    return HR_OK;
  }
  THResult RegisterTask(const std::string& name, ITaskDefinitionPort& definition, int32_t flags,
                        int32_t logonType) override {
    const THResult hr = m_scheduler.Answer("RegisterTask");
    if (!HrSucceeded(hr)) return hr;
    auto* simDefinition = dynamic_cast<TSimDefinitionPort*>(&definition);
    if (simDefinition == nullptr || name.empty()) return HR_INVALID_ARG;
    TSimTask* existing = m_scheduler.Find(name);
    if (existing != nullptr && (flags & TASK_FLAG_UPDATE) == 0) return HR_ALREADY_EXISTS;
    if (existing == nullptr && (flags & TASK_FLAG_CREATE) == 0) return HR_FILE_NOT_FOUND;
    if (existing == nullptr) existing = &m_scheduler.tasks.emplace_back(TSimTask{name, {}, 0, 0});
    existing->definition = *simDefinition->Definition().Copy();
    existing->flags = flags;
    existing->logonType = logonType;
    return HR_OK;
  }

 private:
  TSimTaskScheduler& m_scheduler;
};

class TSimServicePort : public ITaskServicePort {
 public:
  explicit TSimServicePort(TSimTaskScheduler& scheduler) : m_scheduler(scheduler) {}

  THResult Connect() override {
    const THResult hr = m_scheduler.Answer("Connect");
    m_connected = HrSucceeded(hr);
    return hr;
  }
  THResult GetFolder(const std::string& path, std::unique_ptr<ITaskFolderPort>& folder) override {
    if (!m_connected) return HR_SERVICE_NOT_RUNNING;
    const THResult hr = m_scheduler.Answer("GetFolder");
    if (!HrSucceeded(hr)) return hr;
    if (path != "\\") return HR_FILE_NOT_FOUND;
    folder = std::make_unique<TSimFolderPort>(m_scheduler);
    return HR_OK;
  }
  THResult NewTask(std::unique_ptr<ITaskDefinitionPort>& definition) override {
    if (!m_connected) return HR_SERVICE_NOT_RUNNING;
    const THResult hr = m_scheduler.Answer("NewTask");
    if (!HrSucceeded(hr)) return hr;
    definition = std::make_unique<TSimDefinitionPort>(m_scheduler, std::make_shared<TSimTaskDefinition>());
    return HR_OK;
  }

 private:
  TSimTaskScheduler& m_scheduler;
  bool m_connected = false;
};

}  // namespace

THResult TSimTaskScheduler::CreateTaskService(std::unique_ptr<ITaskServicePort>& service) {
  const THResult hr = Answer("CoCreateInstance");
  if (!HrSucceeded(hr)) return hr;
  service = std::make_unique<TSimServicePort>(*this);
  return HR_OK;
}
