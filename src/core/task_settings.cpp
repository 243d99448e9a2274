// The data model's logon starts and scheduled scan over the Task Scheduler wrapper,
// and the per-user Run and RunOnce values before Vista.
#include "core/data_model.h"
#include "core/launch.h"
#include "res/string_ids.h"

namespace {

constexpr const char* RUN_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

}  // namespace

TTaskFacts TDriverDatamodel::TaskFacts() {
  TTaskFacts facts;
  facts.userName = GetCurrentUserName(m_ports.processes);
  facts.programPath = m_ports.processes.ModuleFileName();
  facts.description = m_ports.strings.Load(IDS_TASK_DESCRIPTION);
  facts.now = m_ports.locale.LocalNow();
  facts.compatibility = CompatibilityFor(m_ports.osVersion.Version());
  return facts;
}

bool TDriverDatamodel::UpdateTask(const std::string& AsubKey, bool Aenable) {
  if (!m_SchedulerAvailable) return false;
  return UpdateLogonTask(*m_Tasks, m_AppName + AsubKey, Aenable, TaskFacts());
}

void TDriverDatamodel::RemoveTask(const std::string& strSuffix) {
  if (IsOsVistaAndAbove() && m_SchedulerAvailable) RemoveScheduledTask(*m_Tasks, m_AppName + strSuffix);
}

void TDriverDatamodel::RunAtStartupSettings(const std::string& strSubKey, int iMode) {
  const bool enable = iMode == 1 || (iMode == 0 && m_StartatLogin);
  if (IsOsVistaAndAbove()) {
    UpdateTask(strSubKey, enable);
    return;
  }
  auto key = m_ports.registry.OpenKey(TRegRoot::CurrentUser, RUN_KEY + strSubKey, TRegAccess::Write, false);
  if (!key) return;
  // Quoted, so that a path with blanks is not read as a shorter program and its arguments.
  if (enable)
    key->WriteString(m_AppName, "\"" + m_ports.processes.ModuleFileName() + "\"");
  else
    key->DeleteValue(m_AppName);
}

void TDriverDatamodel::RunOnceAtStartupSettings() {
  if (!m_StartatLogin) return;
  if (IsOsVistaAndAbove())
    UpdateTask(TASK_SUFFIX_ONCE, true);
  else
    RunAtStartupSettings(TASK_SUFFIX_ONCE, 1);
}

bool TDriverDatamodel::SaveScheduledScan(const TScanSchedule& schedule, TWinTask* loaded) {
  if (!m_SchedulerAvailable) return false;
  return ::SaveScheduledScan(*m_Tasks, m_AppName + TASK_SUFFIX_SCHEDULED_SCAN, schedule, TaskFacts(), loaded);
}

std::optional<TScheduleReading> TDriverDatamodel::ReadScheduledScan() {
  if (!m_SchedulerAvailable) return std::nullopt;
  return ::ReadScheduledScan(*m_Tasks, m_AppName + TASK_SUFFIX_SCHEDULED_SCAN, m_ports.locale.LocalNow());
}
