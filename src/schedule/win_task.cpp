#include "schedule/win_task.h"

#include "platform/ascii_case.h"

int32_t TaskPriority(TThreadPriority priority) {
  switch (priority) {
    case tpIdle: return 10;
    case tpLowest: return 9;
    case tpLower: return 7;
    case tpNormal: return 5;
    case tpHigher: return 3;
    case tpHighest: return 1;
    case tpTimeCritical: return 0;
  }
  return 5;
}

std::optional<TTaskActionType> TWinTaskAction::ActionType() {
  int32_t type = 0;
  if (!Ok(m_port->Type(type))) return std::nullopt;
  return static_cast<TTaskActionType>(type);
}

std::string TWinTaskAction::Path() {
  std::string path;
  Ok(m_port->Path(path));
  return path;
}

std::optional<TTaskTriggerType> TWinTaskTrigger::TriggerType() {
  int32_t type = 0;
  if (!Ok(m_port->Type(type))) return std::nullopt;
  return static_cast<TTaskTriggerType>(type);
}

std::optional<TTriggerFacts> TWinTaskTrigger::Facts() {
  TTriggerFacts facts;
  auto type = TriggerType();
  if (!type) return std::nullopt;
  facts.type = *type;
  if (!Ok(m_port->Enabled(facts.enabled)) || !Ok(m_port->StartBoundary(facts.startBoundary))) return std::nullopt;
  // A repetition, days, weeks or user the trigger cannot give keeps its default.
  m_port->Repetition(facts.repetitionInterval, facts.repetitionDuration);
  if (facts.type == ttDaily) m_port->DaysInterval(facts.daysInterval);
  if (facts.type == ttWeekly) {
    m_port->DaysOfWeek(facts.daysOfWeek);
    m_port->WeeksInterval(facts.weeksInterval);
  }
  if (facts.type == ttLogon) m_port->UserId(facts.userId);
  return facts;
}

std::optional<bool> TWinTaskSettings::Enabled() {
  bool enabled = false;
  if (!Ok(m_port.Enabled(enabled))) return std::nullopt;
  return enabled;
}

std::optional<int32_t> TWinTask::TriggerCount() {
  int32_t count = 0;
  if (!Ok(m_port->TriggerCount(count))) return std::nullopt;
  return count;
}

std::unique_ptr<TWinTaskTrigger> TWinTask::Trigger(int32_t index) {
  std::unique_ptr<ITaskTriggerPort> trigger;
  if (!Ok(m_port->Trigger(index, trigger))) return nullptr;
  return std::make_unique<TWinTaskTrigger>(std::move(trigger));
}

std::unique_ptr<TWinTaskTrigger> TWinTask::CreateTrigger(TTaskTriggerType type) {
  std::unique_ptr<ITaskTriggerPort> trigger;
  if (!Ok(m_port->CreateTrigger(type, trigger))) return nullptr;
  return std::make_unique<TWinTaskTrigger>(std::move(trigger));
}

std::unique_ptr<TWinTaskAction> TWinTask::FirstExecAction() {
  int32_t count = 0;
  if (!Ok(m_port->ActionCount(count))) return nullptr;
  for (int32_t index = 1; index <= count; ++index) {
    std::unique_ptr<ITaskActionPort> port;
    if (!Ok(m_port->Action(index, port))) return nullptr;
    auto action = std::make_unique<TWinTaskAction>(std::move(port));
    if (action->ActionType() == taExec) return action;
  }
  return nullptr;
}

std::unique_ptr<TWinTaskAction> TWinTask::CreateAction(TTaskActionType type) {
  std::unique_ptr<ITaskActionPort> action;
  if (!Ok(m_port->CreateAction(type, action))) return nullptr;
  return std::make_unique<TWinTaskAction>(std::move(action));
}

bool TWinTaskFolder::Refresh() {
  std::vector<std::string> names;
  if (!Ok(m_port->TaskNames(names))) return false;
  m_names = std::move(names);
  return true;
}

bool TWinTaskFolder::Exists(const std::string& name) const {
  for (const std::string& each : m_names)
    if (EqualsIgnoringAsciiCase(each, name)) return true;
  return false;
}

std::unique_ptr<TWinTask> TWinTaskFolder::GetTask(const std::string& name) {
  std::unique_ptr<ITaskDefinitionPort> definition;
  if (!Ok(m_port->GetTask(name, definition))) return nullptr;
  return std::make_unique<TWinTask>(std::move(definition));
}

bool TWinTaskFolder::DeleteTask(const std::string& name) {
  const bool deleted = Ok(m_port->DeleteTask(name));
  const THResult result = m_last;
  Refresh();
  m_last = result;
  return deleted;
}

bool TWinTaskFolder::RegisterTask(const std::string& name, TWinTask& task, TTaskLogonType logonType) {
  if (!Ok(m_port->RegisterTask(name, task.Port(), TASK_FLAG_CREATE_OR_UPDATE, logonType))) return false;
  Refresh();
  m_last = HR_OK;
  return true;
}

std::unique_ptr<TWinTaskScheduler> TWinTaskScheduler::Connect(ITaskSchedulerPort& port, THResult& failure) {
  failure = port.InitializeSecurity(RPC_AUTHN_LEVEL_PACKET, RPC_IMP_LEVEL_IMPERSONATE);
  if (!HrSucceeded(failure) && failure != HR_SECURITY_INITIALIZED) return nullptr;
  std::unique_ptr<ITaskServicePort> service;
  if (!HrSucceeded(failure = port.CreateTaskService(service))) return nullptr;
  if (!HrSucceeded(failure = service->Connect())) return nullptr;
  std::unique_ptr<ITaskFolderPort> folderPort;
  if (!HrSucceeded(failure = service->GetFolder("\\", folderPort))) return nullptr;
  auto root = std::make_unique<TWinTaskFolder>(std::move(folderPort));
  if (!root->Refresh()) {
    failure = root->LastResult();
    return nullptr;
  }
  failure = HR_OK;
  return std::unique_ptr<TWinTaskScheduler>(new TWinTaskScheduler(std::move(service), std::move(root)));
}

std::unique_ptr<TWinTask> TWinTaskScheduler::NewTask() {
  std::unique_ptr<ITaskDefinitionPort> definition;
  if (!HrSucceeded(m_last = m_service->NewTask(definition))) return nullptr;
  return std::make_unique<TWinTask>(std::move(definition));
}
