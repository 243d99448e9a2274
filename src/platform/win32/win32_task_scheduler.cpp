#include "platform/win32/win32_task_scheduler.h"

#include <windows.h>
#include <winsvc.h>

#include "platform/win32/task_scheduler_interfaces.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"

namespace {

using TServiceHandle = TOwnedHandle<SC_HANDLE, &CloseServiceHandle>;

// The TaskScheduler class.
constexpr CLSID CLSID_TASK_SCHEDULER = {0x0f87369f, 0xa4e5, 0x4cfc, {0xbd, 0x3e, 0x73, 0xe6, 0x15, 0x45, 0x72, 0xdd}};

// Takes a BSTR the callee allocated: its text, and the BSTR freed.
std::string TakeBstr(BSTR text) {
  std::string result = text != nullptr ? WideToUtf8(text, SysStringLen(text)) : std::string();
  SysFreeString(text);
  return result;
}

// Reads a BSTR property into text.
template <typename TInterface, typename TGetter>
THResult ReadText(TInterface* object, TGetter getter, std::string& text) {
  BSTR value = nullptr;
  const HRESULT hr = (object->*getter)(&value);
  text = TakeBstr(value);
  return hr;
}

// Writes a BSTR property.
template <typename TInterface, typename TSetter>
THResult WriteText(TInterface* object, TSetter setter, const std::string& text) {
  TBstr value(Utf8ToWide(text));
  return (object->*setter)(value.Get());
}

// The interface of another type on the same object.
template <typename TInterface, typename TFrom>
HRESULT Query(TFrom* from, TComPtr<TInterface>& to) {
  return from->QueryInterface(__uuidof(TInterface), reinterpret_cast<void**>(to.Receive()));
}

class TWin32ActionPort : public ITaskActionPort {
 public:
  explicit TWin32ActionPort(IAction* action) : m_action(action) {}
  ~TWin32ActionPort() override { m_action->Release(); }
  TWin32ActionPort(const TWin32ActionPort&) = delete;
  TWin32ActionPort& operator=(const TWin32ActionPort&) = delete;

  THResult Type(int32_t& type) override {
    TASK_ACTION_TYPE value = TASK_ACTION_EXEC;
    const HRESULT hr = m_action->get_Type(&value);
    type = value;
    return hr;
  }
  THResult Path(std::string& path) override { return OnExec([&](IExecAction* exec) { return ReadText(exec, &IExecAction::get_Path, path); }); }
  THResult SetPath(const std::string& path) override {
    return OnExec([&](IExecAction* exec) { return WriteText(exec, &IExecAction::put_Path, path); });
  }
  THResult Arguments(std::string& arguments) override {
    return OnExec([&](IExecAction* exec) { return ReadText(exec, &IExecAction::get_Arguments, arguments); });
  }
  THResult SetArguments(const std::string& arguments) override {
    return OnExec([&](IExecAction* exec) { return WriteText(exec, &IExecAction::put_Arguments, arguments); });
  }

 private:
  template <typename TCall>
  THResult OnExec(TCall call) {
    TComPtr<IExecAction> exec;
    const HRESULT hr = Query(m_action, exec);
    return FAILED(hr) ? hr : call(exec.Get());
  }
  IAction* m_action;
};

class TWin32TriggerPort : public ITaskTriggerPort {
 public:
  explicit TWin32TriggerPort(ITrigger* trigger) : m_trigger(trigger) {}
  ~TWin32TriggerPort() override { m_trigger->Release(); }
  TWin32TriggerPort(const TWin32TriggerPort&) = delete;
  TWin32TriggerPort& operator=(const TWin32TriggerPort&) = delete;

  THResult Type(int32_t& type) override {
    TASK_TRIGGER_TYPE2 value = TASK_TRIGGER_TIME;
    const HRESULT hr = m_trigger->get_Type(&value);
    type = value;
    return hr;
  }
  THResult Enabled(bool& enabled) override {
    VARIANT_BOOL value = VARIANT_FALSE;
    const HRESULT hr = m_trigger->get_Enabled(&value);
    enabled = value != VARIANT_FALSE;
    return hr;
  }
  THResult SetEnabled(bool enabled) override { return m_trigger->put_Enabled(enabled ? VARIANT_TRUE : VARIANT_FALSE); }
  THResult StartBoundary(std::string& boundary) override {
    return ReadText(m_trigger, &ITrigger::get_StartBoundary, boundary);
  }
  THResult SetStartBoundary(const std::string& boundary) override {
    return WriteText(m_trigger, &ITrigger::put_StartBoundary, boundary);
  }
  THResult Repetition(std::string& interval, std::string& duration) override {
    TComPtr<IRepetitionPattern> pattern;
    HRESULT hr = m_trigger->get_Repetition(pattern.Receive());
    if (FAILED(hr)) return hr;
    hr = ReadText(pattern.Get(), &IRepetitionPattern::get_Interval, interval);
    return FAILED(hr) ? hr : ReadText(pattern.Get(), &IRepetitionPattern::get_Duration, duration);
  }
  THResult DaysInterval(int16_t& days) override {
    return As<IDailyTrigger>([&](IDailyTrigger* daily) { return daily->get_DaysInterval(&days); });
  }
  THResult SetDaysInterval(int16_t days) override {
    return As<IDailyTrigger>([&](IDailyTrigger* daily) { return daily->put_DaysInterval(days); });
  }
  THResult DaysOfWeek(int16_t& days) override {
    return As<IWeeklyTrigger>([&](IWeeklyTrigger* weekly) { return weekly->get_DaysOfWeek(&days); });
  }
  THResult SetDaysOfWeek(int16_t days) override {
    return As<IWeeklyTrigger>([&](IWeeklyTrigger* weekly) { return weekly->put_DaysOfWeek(days); });
  }
  THResult WeeksInterval(int16_t& weeks) override {
    return As<IWeeklyTrigger>([&](IWeeklyTrigger* weekly) { return weekly->get_WeeksInterval(&weeks); });
  }
  THResult SetWeeksInterval(int16_t weeks) override {
    return As<IWeeklyTrigger>([&](IWeeklyTrigger* weekly) { return weekly->put_WeeksInterval(weeks); });
  }
  THResult Delay(std::string& delay) override {
    return As<ILogonTrigger>([&](ILogonTrigger* logon) { return ReadText(logon, &ILogonTrigger::get_Delay, delay); });
  }
  THResult SetDelay(const std::string& delay) override {
    return As<ILogonTrigger>([&](ILogonTrigger* logon) { return WriteText(logon, &ILogonTrigger::put_Delay, delay); });
  }
  THResult UserId(std::string& user) override {
    return As<ILogonTrigger>([&](ILogonTrigger* logon) { return ReadText(logon, &ILogonTrigger::get_UserId, user); });
  }
  THResult SetUserId(const std::string& user) override {
    return As<ILogonTrigger>([&](ILogonTrigger* logon) { return WriteText(logon, &ILogonTrigger::put_UserId, user); });
  }

 private:
  template <typename TInterface, typename TCall>
  THResult As(TCall call) {
    TComPtr<TInterface> typed;
    const HRESULT hr = Query(m_trigger, typed);
    return FAILED(hr) ? hr : call(typed.Get());
  }
  ITrigger* m_trigger;
};

class TWin32DefinitionPort : public ITaskDefinitionPort {
 public:
  explicit TWin32DefinitionPort(ITaskDefinition* definition) : m_definition(definition) {}
  ~TWin32DefinitionPort() override { m_definition->Release(); }
  TWin32DefinitionPort(const TWin32DefinitionPort&) = delete;
  TWin32DefinitionPort& operator=(const TWin32DefinitionPort&) = delete;
  ITaskDefinition* Get() const { return m_definition; }

  THResult Description(std::string& text) override {
    return OnPart(&ITaskDefinition::get_RegistrationInfo, [&](IRegistrationInfo* info) {
      return ReadText(info, &IRegistrationInfo::get_Description, text);
    });
  }
  THResult SetDescription(const std::string& text) override {
    return OnPart(&ITaskDefinition::get_RegistrationInfo, [&](IRegistrationInfo* info) {
      return WriteText(info, &IRegistrationInfo::put_Description, text);
    });
  }
  THResult SetRegistrationDate(const std::string& date) override {
    return OnPart(&ITaskDefinition::get_RegistrationInfo,
                  [&](IRegistrationInfo* info) { return WriteText(info, &IRegistrationInfo::put_Date, date); });
  }
  THResult SetLogonType(int32_t type) override {
    return OnPart(&ITaskDefinition::get_Principal,
                  [&](IPrincipal* principal) { return principal->put_LogonType(static_cast<TASK_LOGON_TYPE>(type)); });
  }
  THResult SetUserId(const std::string& user) override {
    return OnPart(&ITaskDefinition::get_Principal,
                  [&](IPrincipal* principal) { return WriteText(principal, &IPrincipal::put_UserId, user); });
  }
  THResult SetRunLevel(int32_t level) override {
    return OnPart(&ITaskDefinition::get_Principal,
                  [&](IPrincipal* principal) { return principal->put_RunLevel(static_cast<TASK_RUNLEVEL_TYPE>(level)); });
  }
  THResult Enabled(bool& enabled) override {
    return OnPart(&ITaskDefinition::get_Settings, [&](ITaskSettings* settings) {
      VARIANT_BOOL value = VARIANT_FALSE;
      const HRESULT hr = settings->get_Enabled(&value);
      enabled = value != VARIANT_FALSE;
      return hr;
    });
  }
  THResult SetEnabled(bool enabled) override {
    return OnPart(&ITaskDefinition::get_Settings,
                  [&](ITaskSettings* settings) { return settings->put_Enabled(enabled ? VARIANT_TRUE : VARIANT_FALSE); });
  }
  THResult SetStartWhenAvailable(bool start) override {
    return OnPart(&ITaskDefinition::get_Settings, [&](ITaskSettings* settings) {
      return settings->put_StartWhenAvailable(start ? VARIANT_TRUE : VARIANT_FALSE);
    });
  }
  THResult SetPriority(int32_t priority) override {
    return OnPart(&ITaskDefinition::get_Settings, [&](ITaskSettings* settings) { return settings->put_Priority(priority); });
  }
  THResult SetCompatibility(int32_t level) override {
    return OnPart(&ITaskDefinition::get_Settings, [&](ITaskSettings* settings) {
      return settings->put_Compatibility(static_cast<TASK_COMPATIBILITY>(level));
    });
  }
  THResult TriggerCount(int32_t& count) override {
    return OnPart(&ITaskDefinition::get_Triggers, [&](ITriggerCollection* triggers) {
      LONG value = 0;
      const HRESULT hr = triggers->get_Count(&value);
      count = value;
      return hr;
    });
  }
  THResult Trigger(int32_t index, std::unique_ptr<ITaskTriggerPort>& trigger) override {
    return OnPart(&ITaskDefinition::get_Triggers, [&](ITriggerCollection* triggers) {
      ITrigger* item = nullptr;
      const HRESULT hr = triggers->get_Item(index, &item);
      if (SUCCEEDED(hr) && item != nullptr) trigger = std::make_unique<TWin32TriggerPort>(item);
      return hr;
    });
  }
  THResult CreateTrigger(int32_t type, std::unique_ptr<ITaskTriggerPort>& trigger) override {
    return OnPart(&ITaskDefinition::get_Triggers, [&](ITriggerCollection* triggers) {
      ITrigger* item = nullptr;
      const HRESULT hr = triggers->Create(static_cast<TASK_TRIGGER_TYPE2>(type), &item);
      if (SUCCEEDED(hr) && item != nullptr) trigger = std::make_unique<TWin32TriggerPort>(item);
      return hr;
    });
  }
  THResult RemoveTrigger(int32_t index) override {
    return OnPart(&ITaskDefinition::get_Triggers, [&](ITriggerCollection* triggers) {
      TVariant position(static_cast<uint32_t>(index));
      return triggers->Remove(*position.Get());
    });
  }
  THResult ActionCount(int32_t& count) override {
    return OnPart(&ITaskDefinition::get_Actions, [&](IActionCollection* actions) {
      LONG value = 0;
      const HRESULT hr = actions->get_Count(&value);
      count = value;
      return hr;
    });
  }
  THResult Action(int32_t index, std::unique_ptr<ITaskActionPort>& action) override {
    return OnPart(&ITaskDefinition::get_Actions, [&](IActionCollection* actions) {
      IAction* item = nullptr;
      const HRESULT hr = actions->get_Item(index, &item);
      if (SUCCEEDED(hr) && item != nullptr) action = std::make_unique<TWin32ActionPort>(item);
      return hr;
    });
  }
  THResult CreateAction(int32_t type, std::unique_ptr<ITaskActionPort>& action) override {
    return OnPart(&ITaskDefinition::get_Actions, [&](IActionCollection* actions) {
      IAction* item = nullptr;
      const HRESULT hr = actions->Create(static_cast<TASK_ACTION_TYPE>(type), &item);
      if (SUCCEEDED(hr) && item != nullptr) action = std::make_unique<TWin32ActionPort>(item);
      return hr;
    });
  }

 private:
  // Calls `call` on one part of the definition (registration information,
  // principal, settings, triggers or actions).
  template <typename TPart, typename TCall>
  THResult OnPart(HRESULT (STDMETHODCALLTYPE ITaskDefinition::*getter)(TPart**), TCall call) {
    TComPtr<TPart> part;
    const HRESULT hr = (m_definition->*getter)(part.Receive());
    if (FAILED(hr)) return hr;
    if (part.Get() == nullptr) return E_POINTER;
    return call(part.Get());
  }
  ITaskDefinition* m_definition;
};

class TWin32FolderPort : public ITaskFolderPort {
 public:
  explicit TWin32FolderPort(ITaskFolder* folder) : m_folder(folder) {}
  ~TWin32FolderPort() override { m_folder->Release(); }
  TWin32FolderPort(const TWin32FolderPort&) = delete;
  TWin32FolderPort& operator=(const TWin32FolderPort&) = delete;

  THResult TaskNames(std::vector<std::string>& names) override {
    TComPtr<IRegisteredTaskCollection> tasks;
    HRESULT hr = m_folder->GetTasks(TASK_ENUM_HIDDEN, tasks.Receive());
    if (FAILED(hr)) return hr;
    LONG count = 0;
    if (FAILED(hr = tasks->get_Count(&count))) return hr;
    names.clear();
    for (LONG index = 1; index <= count; ++index) {
      TComPtr<IRegisteredTask> task;
      TVariant position(static_cast<uint32_t>(index));
      if (FAILED(hr = tasks->get_Item(*position.Get(), task.Receive()))) return hr;
      std::string name;
      if (FAILED(hr = ReadText(task.Get(), &IRegisteredTask::get_Name, name))) return hr;
      names.push_back(std::move(name));
    }
    return S_OK;
  }
  THResult GetTask(const std::string& name, std::unique_ptr<ITaskDefinitionPort>& definition) override {
    TComPtr<IRegisteredTask> task;
    TBstr path(Utf8ToWide(name));
    HRESULT hr = m_folder->GetTask(path.Get(), task.Receive());
    if (FAILED(hr)) return hr;
    ITaskDefinition* read = nullptr;
    if (FAILED(hr = task->get_Definition(&read))) return hr;
    if (read == nullptr) return E_POINTER;
    definition = std::make_unique<TWin32DefinitionPort>(read);
    return S_OK;
  }
  THResult DeleteTask(const std::string& name) override {
    TBstr path(Utf8ToWide(name));
    return m_folder->DeleteTask(path.Get(), 0);
  }
  THResult RegisterTask(const std::string& name, ITaskDefinitionPort& definition, int32_t flags,
                        int32_t logonType) override {
    auto* win32Definition = dynamic_cast<TWin32DefinitionPort*>(&definition);
    if (win32Definition == nullptr) return E_INVALIDARG;
    TBstr path(Utf8ToWide(name));
    TVariant user;
    TVariant password;
    TVariant sddl(std::wstring(L""));
    TComPtr<IRegisteredTask> task;
    return m_folder->RegisterTaskDefinition(path.Get(), win32Definition->Get(), flags, *user.Get(), *password.Get(),
                                            static_cast<TASK_LOGON_TYPE>(logonType), *sddl.Get(), task.Receive());
  }

 private:
  ITaskFolder* m_folder;
};

class TWin32ServicePort : public ITaskServicePort {
 public:
  explicit TWin32ServicePort(ITaskService* service) : m_service(service) {}
  ~TWin32ServicePort() override { m_service->Release(); }
  TWin32ServicePort(const TWin32ServicePort&) = delete;
  TWin32ServicePort& operator=(const TWin32ServicePort&) = delete;

  THResult Connect() override {
    TVariant server;
    TVariant user;
    TVariant domain;
    TVariant password;
    return m_service->Connect(*server.Get(), *user.Get(), *domain.Get(), *password.Get());
  }
  THResult GetFolder(const std::string& path, std::unique_ptr<ITaskFolderPort>& folder) override {
    TBstr name(Utf8ToWide(path));
    ITaskFolder* opened = nullptr;
    const HRESULT hr = m_service->GetFolder(name.Get(), &opened);
    if (SUCCEEDED(hr) && opened != nullptr) folder = std::make_unique<TWin32FolderPort>(opened);
    return hr;
  }
  THResult NewTask(std::unique_ptr<ITaskDefinitionPort>& definition) override {
    ITaskDefinition* made = nullptr;
    const HRESULT hr = m_service->NewTask(0, &made);
    if (SUCCEEDED(hr) && made != nullptr) definition = std::make_unique<TWin32DefinitionPort>(made);
    return hr;
  }

 private:
  ITaskService* m_service;
};

}  // namespace

std::optional<uint32_t> TWin32TaskScheduler::ServiceState() {
  TServiceHandle manager(
      OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE | SC_MANAGER_QUERY_LOCK_STATUS));
  if (!manager) return std::nullopt;
  TServiceHandle service(OpenServiceW(manager.Get(), L"schedule", SERVICE_QUERY_STATUS | GENERIC_READ));
  if (!service) return std::nullopt;
  SERVICE_STATUS status{};
  if (!QueryServiceStatus(service.Get(), &status)) return std::nullopt;
  return status.dwCurrentState;
}

void TWin32TaskScheduler::EnsureCom() {
  if (!m_com) m_com.emplace();
}

THResult TWin32TaskScheduler::InitializeSecurity(uint32_t authenticationLevel, uint32_t impersonationLevel) {
  EnsureCom();
  return CoInitializeSecurity(nullptr, -1, nullptr, nullptr, authenticationLevel, impersonationLevel, nullptr,
                              EOAC_NONE, nullptr);
}

THResult TWin32TaskScheduler::CreateTaskService(std::unique_ptr<ITaskServicePort>& service) {
  EnsureCom();
  ITaskService* created = nullptr;
  const HRESULT hr = CoCreateInstance(CLSID_TASK_SCHEDULER, nullptr, CLSCTX_INPROC_SERVER, __uuidof(ITaskService),
                                      reinterpret_cast<void**>(&created));
  if (SUCCEEDED(hr) && created != nullptr) service = std::make_unique<TWin32ServicePort>(created);
  return hr;
}
