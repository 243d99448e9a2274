// TBackupController: the backup, backup progress and restore pages' behaviour.
// It makes the three pages on their cards, fills the device tree, runs a backup
// on a worker task and follows it on the progress page (the window's backup
// callbacks come here), and runs the restore page's restore, delete and
// folder choice on the engine and the data model.
#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "app/backup_page.h"
#include "app/backup_progress_page.h"
#include "app/main_callbacks.h"
#include "app/page_host.h"
#include "app/restore_page.h"
#include "core/data_model.h"
#include "engine/data_manager.h"
#include "ui/backup_presenter.h"
#include "ui/restore_presenter.h"
#include "ui/worker_task.h"
#include "ui/win32/card_panel.h"
#include "ui/win32/temp_cursor.h"

class TBackupController : public IBackupProgress, private IRestoreHost {
 public:
  TBackupController(TDriverDatamodel& model, TDataManager& engine, TSystemPorts ports, IPageHost& host);
  ~TBackupController() override;

  // The three pages on their cards; the backup runs report through `handler`,
  // whose completion steps come through `dispatcher`.
  void CreateBackupPages(TCard& backup, TCard& progress, TCard& restore, TCallbackDispatcher& dispatcher,
                         TICallbackHandler& handler);
  // The pages' texts, path and buttons; `rebuild` also fills the tree again,
  // with the class images (the first time, and when the unplugged setting changes).
  void UpdateBackupPage(bool rebuild);
  // Refills the device tree from the device list (after every scan).
  void BuildBackupTree(bool withImages);
  // A scan started or ended: the Backup button follows.
  void ScanStateChanged() { ApplyBackupPage(); }
  // The window's navigation action changed (FActiveAction, read by the callbacks).
  void SetActiveAction(TShellAction action);
  // A backup task is running.
  bool Running() const { return FbackupTask != nullptr; }
  TWorkerTask* BackupTask() const { return FbackupTask.get(); }
  // The window is closing: a running backup is asked to stop; after the
  // callbacks were shut down, its thread is joined.
  void StopBackupTask();
  void EndBackupTask();

  // IBackupProgress.
  TActiveAction ActiveAction() const override { return FActiveAction; }
  void ShowBackupStart() override;
  void ShowDriverBackupStart(const std::string& deviceName) override;
  void ShowDriverBackupEnd(const std::string& deviceName, bool success) override;
  void ShowBackupEnd(bool success) override;
  void ReleaseBackupList() override { FbackupList.reset(); }

 private:
  // IRestoreHost.
  int Ask(const std::string& title, const std::string& text, int kind) override;
  void SaveScanResults() override { m_host.SaveScanResults(); }
  void RunOnceAtStartupSettings() override { m_host.RunOnceAtStartupSettings(); }
  TRestoreOutcome RestoreDriver(const std::string& folder, bool allowUnverified, bool& rebootRequired) override;
  bool DeleteBackupFolder(const std::string& folder) override;

  bool OtherRunGoing() const;
  bool BackupPageActive() const { return FActiveAction == TActiveAction::aclBackup; }
  void ApplyBackupPage();
  void ApplyProgress();
  void ApplyRestore();
  void ChangeBackupPathClick();
  void aclBackupDriversExecute();
  void aclStopBackupExecute();
  void BackupTaskComplete();
  void UpdateRestorePage();
  void ChangeRestorePathClick();
  void RestoreListContextPopup(int line, POINT at);
  void aclRestoreDriverExecute();
  std::string Text(int id) const { return m_ports.strings.Load(id); }

  TDriverDatamodel& m_model;
  TDataManager& m_engine;
  TSystemPorts m_ports;
  IPageHost& m_host;
  TCallbackDispatcher* m_dispatcher = nullptr;
  TICallbackHandler* m_handler = nullptr;
  TBackupPresenter m_backup{m_model, m_ports.strings};
  TRestorePresenter m_restore{m_model, m_ports.registry, m_ports.strings};
  TBackupPage m_backupPage;
  TBackupProgressPage m_progressPage;
  TRestorePage m_restorePage;
  std::atomic<TActiveAction> FActiveAction{TActiveAction::aclOther};
  // The run's devices, from its start until the run lets go of them.
  std::unique_ptr<TDriverMap> FbackupList;
  // The running backup task, or none; an ended one waits in m_endedBackupTask to be joined.
  std::unique_ptr<TWorkerTask> FbackupTask;
  std::unique_ptr<TWorkerTask> m_endedBackupTask;
  // What ended the run early, written by the worker before its completion step.
  std::optional<std::string> m_raised;
  std::unique_ptr<TTempCursor> m_hourglass;
};
