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

constexpr int32_t ACTION_EXEC = 0;
constexpr int32_t TRIGGER_EVENT = 0;
constexpr int32_t TRIGGER_DAILY = 2;
constexpr int32_t TRIGGER_WEEKLY = 3;
constexpr int32_t TRIGGER_BOOT = 8;
constexpr int32_t TRIGGER_LOGON = 9;

// What the simulated objects share: reads, writes that fail as a test asked, and
// the trigger and action collections.
class TSimObject {
 protected:
  explicit TSimObject(const TSimTaskScheduler& scheduler) : m_scheduler(scheduler) {}

  // An interface the object does not have answers E_NOINTERFACE.
  template <typename T>
  static THResult Read(bool applies, T& out, const T& value) {
    if (!applies) return HR_NO_INTERFACE;
    out = value;
    return HR_OK;
  }
  template <typename T>
  THResult Write(bool applies, const std::string& operation, T& field, const T& value) const {
    if (!applies) return HR_NO_INTERFACE;
    const THResult hr = m_scheduler.Answer(operation);
    if (HrSucceeded(hr)) field = value;
    return hr;
  }
  template <typename TItem>
  THResult Count(const std::string& operation, const std::vector<std::shared_ptr<TItem>>& items,
                 int32_t& count) const {
    const THResult hr = m_scheduler.Answer(operation);
    if (HrSucceeded(hr)) count = static_cast<int32_t>(items.size());
    return hr;
  }
  template <typename TPort, typename TItem, typename TInterface>
  THResult Item(const std::vector<std::shared_ptr<TItem>>& items, int32_t index,
                std::unique_ptr<TInterface>& port) const {
    if (index < 1 || index > static_cast<int32_t>(items.size())) return HR_INVALID_ARG;
    port = std::make_unique<TPort>(m_scheduler, items[static_cast<size_t>(index - 1)]);
    return HR_OK;
  }
  template <typename TPort, typename TItem, typename TInterface>
  THResult Create(const std::string& operation, int32_t type, std::vector<std::shared_ptr<TItem>>& items,
                  std::unique_ptr<TInterface>& port) const {
    const THResult hr = m_scheduler.Answer(operation + " " + std::to_string(type));
    if (!HrSucceeded(hr)) return hr;
    auto created = std::make_shared<TItem>();
    created->type = type;
    items.push_back(created);
    port = std::make_unique<TPort>(m_scheduler, created);
    return HR_OK;
  }

  const TSimTaskScheduler& m_scheduler;
};

class TSimActionPort : public ITaskActionPort, TSimObject {
 public:
  TSimActionPort(const TSimTaskScheduler& scheduler, std::shared_ptr<TSimAction> action)
      : TSimObject(scheduler), m_action(std::move(action)) {}
  THResult Type(int32_t& type) override { return Read(true, type, m_action->type); }
  THResult Path(std::string& path) override { return Read(IsExec(), path, m_action->path); }
  THResult SetPath(const std::string& path) override { return Write(IsExec(), "put_Path", m_action->path, path); }
  THResult Arguments(std::string& arguments) override { return Read(IsExec(), arguments, m_action->arguments); }
  THResult SetArguments(const std::string& arguments) override {
    return Write(IsExec(), "put_Arguments", m_action->arguments, arguments);
  }

 private:
  bool IsExec() const { return m_action->type == ACTION_EXEC; }
  std::shared_ptr<TSimAction> m_action;
};

class TSimTriggerPort : public ITaskTriggerPort, TSimObject {
 public:
  TSimTriggerPort(const TSimTaskScheduler& scheduler, std::shared_ptr<TSimTrigger> trigger)
      : TSimObject(scheduler), m_trigger(std::move(trigger)) {}
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
  // Event, boot and logon triggers have a delay.
  bool HasDelay() const { return Is(TRIGGER_EVENT) || Is(TRIGGER_BOOT) || Is(TRIGGER_LOGON); }
  std::shared_ptr<TSimTrigger> m_trigger;
};

class TSimDefinitionPort : public ITaskDefinitionPort, TSimObject {
 public:
  TSimDefinitionPort(const TSimTaskScheduler& scheduler, std::shared_ptr<TSimTaskDefinition> definition)
      : TSimObject(scheduler), m_definition(std::move(definition)) {}
  const TSimTaskDefinition& Definition() const { return *m_definition; }

  THResult Description(std::string& text) override { return Read(true, text, m_definition->description); }
  THResult SetDescription(const std::string& text) override {
    return Write(true, "put_Description", m_definition->description, text);
  }
  THResult SetRegistrationDate(const std::string& date) override {
    return Write(true, "put_Date", m_definition->registrationDate, date);
  }
  THResult SetLogonType(int32_t type) override { return Write(true, "put_LogonType", m_definition->logonType, type); }
  THResult SetUserId(const std::string& user) override {
    return Write(true, "put_UserId", m_definition->userId, user);
  }
  THResult SetRunLevel(int32_t level) override { return Write(true, "put_RunLevel", m_definition->runLevel, level); }
  THResult Enabled(bool& enabled) override { return Read(true, enabled, m_definition->enabled); }
  THResult SetEnabled(bool enabled) override { return Write(true, "put_Enabled", m_definition->enabled, enabled); }
  THResult SetStartWhenAvailable(bool start) override {
    return Write(true, "put_StartWhenAvailable", m_definition->startWhenAvailable, start);
  }
  THResult SetPriority(int32_t priority) override {
    return Write(true, "put_Priority", m_definition->priority, priority);
  }
  THResult SetCompatibility(int32_t level) override {
    return Write(true, "put_Compatibility", m_definition->compatibility, level);
  }
  THResult TriggerCount(int32_t& count) override {
    return Count("ITriggerCollection::get_Count", m_definition->triggers, count);
  }
  THResult Trigger(int32_t index, std::unique_ptr<ITaskTriggerPort>& trigger) override {
    return Item<TSimTriggerPort>(m_definition->triggers, index, trigger);
  }
  THResult CreateTrigger(int32_t type, std::unique_ptr<ITaskTriggerPort>& trigger) override {
    return Create<TSimTriggerPort>("CreateTrigger", type, m_definition->triggers, trigger);
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
    return Count("IActionCollection::get_Count", m_definition->actions, count);
  }
  THResult Action(int32_t index, std::unique_ptr<ITaskActionPort>& action) override {
    return Item<TSimActionPort>(m_definition->actions, index, action);
  }
  THResult CreateAction(int32_t type, std::unique_ptr<ITaskActionPort>& action) override {
    return Create<TSimActionPort>("CreateAction", type, m_definition->actions, action);
  }

 private:
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
