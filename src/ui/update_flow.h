// TUpdateFlow: the main window's driver update, one device or all selected ones: the
// questions, the restore point, the download task, then the install task, and the update
// progress page they move. It runs on the UI thread; the runs' notifications reach it
// there through TUpdateCallbackView. Only one update runs at a time, and none beside a
// scan or a backup (they replace the records and share the engine's stop flag).
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "core/data_model.h"
#include "engine/data_manager.h"
#include "engine/message_sink.h"
#include "platform/system_ports.h"
#include "ui/callback_relay.h"
#include "ui/scan_callback_view.h"
#include "ui/update_progress.h"
#include "ui/worker_task.h"

// What the flow asks of the main window (UI thread).
class IUpdateFlowHost {
 public:
  virtual ~IUpdateFlowHost() = default;
  // A message box of the program over the window; the button pressed.
  virtual int Ask(const std::string& title, const std::string& text, int kind) = 0;
  virtual void SetNavigationEnabled(bool enabled) = 0;
  virtual void ShowUpdatePage() = 0;
  // Both results lists made again from the data model.
  virtual void RefreshResults() = 0;
  // Top-most and at once not top-most again.
  virtual void BringToFront() = 0;
  // A scan or a backup runs.
  virtual bool OtherRunActive() const = 0;
  // The page applies the view after each change.
  virtual void ProgressChanged(const TUpdateProgressView& view) = 0;
  // The install asked for a restart: the restart question and what follows it.
  virtual void OfferRestart() = 0;
  // The restore point has been made (or has failed); a close asked meanwhile may go on.
  virtual void RestorePointEnded() = 0;
};

class TUpdateFlow {
 public:
  TUpdateFlow(TDriverDatamodel& model, TDataManager& engine, TSystemPorts ports, TCallbackDispatcher& dispatcher,
              TCallbackRelay& handler, IUpdateFlowHost& host);
  // Joins what is left; call EndTasks first while the dispatcher still runs or after its shutdown.
  ~TUpdateFlow();
  TUpdateFlow(const TUpdateFlow&) = delete;
  TUpdateFlow& operator=(const TUpdateFlow&) = delete;

  // aclUpdateDriverExecute for one device; false when nothing started (none, refused,
  // declined at the unplugged question).
  bool UpdateDriver(TDeviceProperties* device);
  // aclUpdateAllExecute: the selected devices of outdated, ordered by class description.
  bool UpdateAll(const TDriverMap& outdated);
  // aclStopUpdateExecute.
  void StopUpdate();
  // DownloadTaskComplete: the install task, or the end of a stopped run.
  void DownloadTaskComplete();

  // From the start of an update to its end (also while the restore point is made).
  bool Running() const { return m_running; }
  bool CreatingRestorePoint() const { return m_creatingRestorePoint; }
  bool TaskRunning() const { return FdownloadTask != nullptr || FinstallTask != nullptr; }
  TWorkerTask* DownloadTask() const { return FdownloadTask.get(); }
  TWorkerTask* InstallTask() const { return FinstallTask.get(); }
  // Stops the running task; with the dispatcher shut down, joins every task.
  void CancelTasks();
  void JoinTasks();

  const TUpdateProgressView& View() const { return m_progress.View(); }
  const TDriverMap& UpdateList() const { return FupdateList; }

  // The runs' notifications (UI thread).
  void DownloadStart(int32_t count);
  void DriverDownloadStart(const std::string& deviceName, int32_t sizeKilobytes);
  void DownloadStep(int32_t kilobytes);
  void DriverDownloadEnd(int32_t result);
  void DownloadEnd(bool success);
  void DriverBackupStart();
  void DriverBackupEnd(const std::string& deviceName, bool success);
  void BackupEnd();
  void InstallStart(int32_t count);
  void DriverInstallStart(const std::string& deviceName);
  void ExtractStart(int32_t entryCount);
  void FileExtracted();
  void ExtractEnd();
  void DriverInstallEnd(int32_t result);
  void MarkInstalled(const TDeviceProperties& device);
  void InstallEnd(bool success, bool rebootRequired);

 private:
  bool Begin();
  // The restore point when the settings want one; false when the update ends there.
  bool RestorePoint();
  void EndCancelled();
  void StartDownloadTask();
  void InstallTaskComplete();
  void Changed() { m_host.ProgressChanged(m_progress.View()); }
  std::string Text(int id) const { return m_ports.strings.Load(id); }

  TDriverDatamodel& m_model;
  TDataManager& m_engine;
  TSystemPorts m_ports;
  TCallbackDispatcher& m_dispatcher;
  TCallbackRelay& m_handler;
  IUpdateFlowHost& m_host;
  TUpdateProgress m_progress;
  TDriverMap FupdateList;
  std::unique_ptr<TWorkerTask> FdownloadTask;
  std::unique_ptr<TWorkerTask> FinstallTask;
  // Tasks whose completion step ran, joined at the next start or at the end.
  std::vector<std::unique_ptr<TWorkerTask>> m_endedTasks;
  std::atomic<bool> m_running{false};
  bool m_creatingRestorePoint = false;
  bool m_rebootRequired = false;
  bool m_installFailed = false;  // a device of the run was not installed
};

// The window's callback view for an update: the download, install and extract
// notifications go to the flow once one is attached; the scan's show nothing here.
class TUpdateCallbackView : public TScanCallbackView {
 public:
  // The flow the notifications go to (UI thread, before any update runs).
  void AttachUpdates(TUpdateFlow& flow) { m_flow = &flow; }

  TActiveAction ActiveAction() const override {
    return m_flow && m_flow->Running() ? TActiveAction::aclUpdateDriver : TActiveAction::aclOther;
  }
  void ShowDownloadStart(int32_t count) override { Flow([&](TUpdateFlow& f) { f.DownloadStart(count); }); }
  void ShowDriverDownloadStart(const std::string& name, int32_t size) override {
    Flow([&](TUpdateFlow& f) { f.DriverDownloadStart(name, size); });
  }
  void ShowDriverDownloadEnd(int32_t result) override { Flow([&](TUpdateFlow& f) { f.DriverDownloadEnd(result); }); }
  void ShowDownloadEnd(bool success) override { Flow([&](TUpdateFlow& f) { f.DownloadEnd(success); }); }
  void ShowDownloadStep(int32_t kilobytes) override { Flow([&](TUpdateFlow& f) { f.DownloadStep(kilobytes); }); }
  void ShowDriverBackupStart(const std::string&) override { Flow([](TUpdateFlow& f) { f.DriverBackupStart(); }); }
  void ShowDriverBackupEnd(const std::string& name, bool success) override {
    Flow([&](TUpdateFlow& f) { f.DriverBackupEnd(name, success); });
  }
  void ShowUpdateBackupEnd() override { Flow([](TUpdateFlow& f) { f.BackupEnd(); }); }
  void ShowInstallStart(int32_t count) override { Flow([&](TUpdateFlow& f) { f.InstallStart(count); }); }
  void ShowDriverInstallStart(const std::string& name) override {
    Flow([&](TUpdateFlow& f) { f.DriverInstallStart(name); });
  }
  void ShowDriverInstallEnd(int32_t result) override { Flow([&](TUpdateFlow& f) { f.DriverInstallEnd(result); }); }
  void MarkInstalled(const TDeviceProperties& device) override { Flow([&](TUpdateFlow& f) { f.MarkInstalled(device); }); }
  void ShowInstallEnd(bool success, bool rebootRequired) override {
    Flow([&](TUpdateFlow& f) { f.InstallEnd(success, rebootRequired); });
  }
  void ShowExtractStart(int32_t entryCount) override { Flow([&](TUpdateFlow& f) { f.ExtractStart(entryCount); }); }
  void ShowFileExtracted() override { Flow([](TUpdateFlow& f) { f.FileExtracted(); }); }
  void ShowExtractEnd(bool) override { Flow([](TUpdateFlow& f) { f.ExtractEnd(); }); }

 private:
  template <typename TCall>
  void Flow(TCall call) {
    if (m_flow) call(*m_flow);
  }

  TUpdateFlow* m_flow = nullptr;
};
