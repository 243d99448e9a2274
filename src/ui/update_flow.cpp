#include "ui/update_flow.h"

#include <chrono>
#include <set>
#include <thread>

#include "core/errors.h"
#include "core/message_box_kinds.h"
#include "engine/restore_points.h"
#include "engine/scan_time.h"
#include "res/string_ids.h"
#include "ui/results_presenter.h"

namespace {

constexpr const char* QUESTION_TITLE = "Quorvane";

}  // namespace

TUpdateFlow::TUpdateFlow(TDriverDatamodel& model, TDataManager& engine, TSystemPorts ports,
                         TCallbackDispatcher& dispatcher, TCallbackRelay& handler, IUpdateFlowHost& host)
    : m_model(model),
      m_engine(engine),
      m_ports(ports),
      m_dispatcher(dispatcher),
      m_handler(handler),
      m_host(host),
      m_progress(ports.strings) {}

TUpdateFlow::~TUpdateFlow() {
  CancelTasks();
  JoinTasks();
}

bool TUpdateFlow::UpdateDriver(TDeviceProperties* device) {
  if (device == nullptr || m_running || m_host.OtherRunActive()) return false;
  if (device->IsUnpluggedDevice() &&
      m_host.Ask(QUESTION_TITLE, Text(IDS_UNPLUGGED_UPDATE_QUESTION), QV_KIND_YES_NO) != ID_YES)
    return false;
  if (!Begin()) return true;
  FupdateList = {device};
  if (m_engine.IsDownloadAvailable(device->strHID) != 0) {
    DownloadTaskComplete();
  } else {
    StartDownloadTask();
  }
  return true;
}

bool TUpdateFlow::UpdateAll(const TDriverMap& outdated) {
  if (m_running || m_host.OtherRunActive()) return false;
  if (!Begin()) return true;
  FupdateList.clear();
  for (TDeviceProperties* device : outdated)
    if (device->bSelected) FupdateList.push_back(device);
  SortByClassDescription(FupdateList, m_ports.locale);
  StartDownloadTask();
  return true;
}

bool TUpdateFlow::Begin() {
  m_endedTasks.clear();
  m_running = true;
  m_rebootRequired = false;
  m_installFailed = false;
  m_engine.m_stopped = false;
  m_progress.Begin();
  m_host.SetNavigationEnabled(false);
  m_host.ShowUpdatePage();
  Changed();
  if (!RestorePoint()) {
    EndCancelled();
    return false;
  }
  return true;
}

bool TUpdateFlow::RestorePoint() {
  if (!m_model.UseRestorePoints()) return true;
  m_progress.SetActivity(true);
  m_progress.SetStatus(Text(IDS_RESTORE_POINT_STATUS));
  Changed();
  const std::string description = FormatText(Text(IDS_RESTORE_POINT_DESCRIPTION), ScanTimeNow(m_ports.locale));
  bool created = false;
  m_creatingRestorePoint = true;
  try {
    created = CreateSystemRestorePoint(m_ports, m_engine.MessageSink(), description);
  } catch (const std::exception&) {
    created = false;  // the wait itself failed: as a restore point not made
  }
  m_creatingRestorePoint = false;
  m_progress.SetActivity(false);
  Changed();
  m_host.RestorePointEnded();
  // A stop pressed while it was made ends the update here, whatever came of it.
  if (m_engine.m_stopped) return false;
  if (created) return true;
  return m_host.Ask(QUESTION_TITLE, Text(IDS_RESTORE_POINT_QUESTION), QV_KIND_YES_NO) == ID_YES;
}

void TUpdateFlow::EndCancelled() {
  FupdateList.clear();
  m_progress.Cancelled();
  m_running = false;
  m_host.SetNavigationEnabled(true);
  Changed();
}

void TUpdateFlow::StopUpdate() {
  if (!m_running || m_engine.m_stopped) return;
  m_engine.m_stopped = true;
  // While the restore point is made the button keeps its role: Back must not lead
  // away from an update that has not ended yet.
  if (!m_creatingRestorePoint) m_progress.SetStopUpdateButton(true);
  Changed();
}

void TUpdateFlow::StartDownloadTask() {
  Changed();
  // The task works on its own copy: the window's list is freed when the run lets go of it.
  FdownloadTask = std::make_unique<TWorkerTask>(
      m_dispatcher, [this, devices = FupdateList] { m_engine.Download(devices, &m_handler); },
      [this] { DownloadTaskComplete(); });
}

void TUpdateFlow::DownloadTaskComplete() {
  if (FdownloadTask) m_endedTasks.push_back(std::move(FdownloadTask));
  if (m_engine.m_stopped) {
    EndCancelled();
    return;
  }
  std::set<const TDeviceProperties*> withPackage;
  for (const TDeviceProperties* device : FupdateList)
    if (m_engine.IsDownloadAvailable(device->strHID) != 0) withPackage.insert(device);
  m_handler.SetPackagesPresent(std::move(withPackage));
  const bool beforeVista = !m_model.IsOsVistaAndAbove();
  FinstallTask = std::make_unique<TWorkerTask>(
      m_dispatcher,
      [this, devices = FupdateList, beforeVista] {
        if (beforeVista) std::this_thread::sleep_for(std::chrono::milliseconds(500));
        m_engine.Install(devices, &m_handler);
      },
      [this] { InstallTaskComplete(); });
}

void TUpdateFlow::InstallTaskComplete() {
  if (FinstallTask) m_endedTasks.push_back(std::move(FinstallTask));
  FupdateList.clear();
  m_running = false;
  if (m_engine.m_stopped || m_installFailed) {
    // A stop or a failed device: the texts say it did not finish.
    m_progress.Cancelled();
  } else {
    m_progress.Finished();
  }
  m_progress.SetStopUpdateButton(true);
  Changed();
  m_host.RefreshResults();
  m_host.SetNavigationEnabled(true);
  m_host.BringToFront();
  if (m_rebootRequired) m_host.OfferRestart();
}

void TUpdateFlow::CancelTasks() {
  if (TaskRunning()) m_engine.m_stopped = true;
}

void TUpdateFlow::JoinTasks() {
  FdownloadTask.reset();
  FinstallTask.reset();
  m_endedTasks.clear();
}

void TUpdateFlow::DownloadStart(int32_t count) {
  m_progress.DownloadStart(count);
  Changed();
}

void TUpdateFlow::DriverDownloadStart(const std::string& deviceName, int32_t sizeKilobytes) {
  m_progress.DriverDownloadStart(deviceName, sizeKilobytes);
  Changed();
}

void TUpdateFlow::DownloadStep(int32_t kilobytes) {
  m_progress.DownloadStep(kilobytes);
  Changed();
}

void TUpdateFlow::DriverDownloadEnd(int32_t result) {
  m_progress.DriverDownloadEnd(result);
  Changed();
}

void TUpdateFlow::DownloadEnd(bool success) {
  m_progress.DownloadEnd(success);
  Changed();
}

void TUpdateFlow::DriverBackupStart() {
  if (!m_running) return;
  m_progress.DriverBackupStart();
  Changed();
}

void TUpdateFlow::DriverBackupEnd(const std::string& deviceName, bool success) {
  if (!m_running || success) return;
  m_host.Ask(QUESTION_TITLE, FormatText(Text(IDS_UPDATE_BACKUP_FAILED_TEXT), deviceName), QV_KIND_INFORMATION);
}

void TUpdateFlow::BackupEnd() {
  if (!m_running) return;
  m_progress.BackupEnd();
  Changed();
}

void TUpdateFlow::InstallStart(int32_t count) {
  m_progress.InstallStart(count);
  Changed();
}

void TUpdateFlow::DriverInstallStart(const std::string& deviceName) {
  m_progress.DriverInstallStart(deviceName);
  Changed();
}

void TUpdateFlow::ExtractStart(int32_t entryCount) {
  m_progress.ExtractStart(entryCount);
  Changed();
}

void TUpdateFlow::FileExtracted() {
  m_progress.FileExtracted();
  Changed();
}

void TUpdateFlow::ExtractEnd() {
  m_progress.ExtractEnd();
  Changed();
}

void TUpdateFlow::DriverInstallEnd(int32_t result) {
  if (result == 1) m_installFailed = true;
  m_progress.DriverInstallEnd(Text(InstallResultTextId(result)));
  Changed();
}

void TUpdateFlow::MarkInstalled(const TDeviceProperties& device) {
  for (TDeviceProperties* record : FupdateList) {
    if (record != &device) continue;
    record->bInstalled = true;
    record->bSelected = false;
  }
}

void TUpdateFlow::InstallEnd(bool success, bool rebootRequired) {
  m_rebootRequired = rebootRequired;
  // The last device's failure stays on the status line.
  m_progress.InstallEnd(success && !m_installFailed);
  FupdateList.clear();
  Changed();
}
