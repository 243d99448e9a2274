#include "app/backup_controller.h"

#include <filesystem>
#include <system_error>

#include "app/folder_picker.h"
#include "core/message_box_kinds.h"
#include "core/paths.h"
#include "platform/win32/image_lists_win32.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"
#include "res/string_ids.h"
#include "ui/backup_folder_choice.h"
#include "ui/backup_tree.h"
#include "ui/win32/message_dialog.h"

namespace {

constexpr UINT QV_MENU_DELETE_BACKUP = 100;

}  // namespace

TBackupController::TBackupController(TDriverDatamodel& model, TDataManager& engine, TSystemPorts ports,
                                     IPageHost& host)
    : m_model(model), m_engine(engine), m_ports(ports), m_host(host) {}

TBackupController::~TBackupController() {
  StopBackupTask();
  EndBackupTask();
}

void TBackupController::CreateBackupPages(TCard& backup, TCard& progress, TCard& restore,
                                          TCallbackDispatcher& dispatcher, TICallbackHandler& handler) {
  m_dispatcher = &dispatcher;
  m_handler = &handler;
  // The pages carry their own titles.
  for (TCard* card : {&backup, &progress, &restore}) ShowWindow(card->TitleLabel(), SW_HIDE);
  RECT client{};
  GetClientRect(backup.Handle(), &client);
  const TLayoutRect rect{0, 0, client.right, client.bottom};
  TBackupPageEvents backupEvents;
  backupEvents.ticksChanged = [this] { ApplyBackupPage(); };
  backupEvents.changePath = [this] { ChangeBackupPathClick(); };
  backupEvents.backup = [this] { aclBackupDriversExecute(); };
  m_backupPage.Create(backup.Handle(), rect, m_host.Owner(), std::move(backupEvents));
  m_progressPage.Create(progress.Handle(), rect, [this] { aclStopBackupExecute(); });
  TRestorePageEvents restoreEvents;
  restoreEvents.selected = [this](int line) {
    m_restore.Select(line);
    ApplyRestore();
  };
  restoreEvents.menu = [this](int line, POINT at) { RestoreListContextPopup(line, at); };
  restoreEvents.rebootChoice = [this](bool automatic) { m_restore.SetAutoReboot(automatic); };
  restoreEvents.changePath = [this] { ChangeRestorePathClick(); };
  restoreEvents.restore = [this] { aclRestoreDriverExecute(); };
  m_restorePage.Create(restore.Handle(), rect, m_host.Owner(), std::move(restoreEvents));
  m_host.OnCardShown(cardBackup, [this] { UpdateBackupPage(false); });
  m_host.OnCardShown(cardRestore, [this] { UpdateRestorePage(); });
}

void TBackupController::UpdateBackupPage(bool rebuild) {
  if (rebuild) BuildBackupTree(true);
  ApplyBackupPage();
  ApplyProgress();
  ApplyRestore();
}

void TBackupController::BuildBackupTree(bool withImages) {
  const TImageListHandle classImages = m_engine.DeviceImages().ImageList;
  TBackupTreeFacts facts;
  facts.hostName = m_ports.osVersion.DnsHostName();
  facts.osDescription = m_model.OSDescription();
  facts.computerImage = classImages ? m_ports.imageLists.ImageCount(classImages) - 1 : 0;
  facts.showUnplugged = m_model.ShowUnplugged();
  const TBackupTreeNode root = ::BuildBackupTree(m_model.DeviceList(), facts, m_ports.locale);
  m_backupPage.FillTree(root, withImages ? ToImageList({classImages}) : nullptr);
  ApplyBackupPage();
}

void TBackupController::SetActiveAction(TShellAction action) {
  switch (action) {
    case TShellAction::aclBackup: FActiveAction = TActiveAction::aclBackup; break;
    case TShellAction::aclUpdateDriver: FActiveAction = TActiveAction::aclUpdateDriver; break;
    default: FActiveAction = TActiveAction::aclOther; break;
  }
}

bool TBackupController::OtherRunGoing() const {
  // The backup shares the engine's stop flag with the scan, download and install runs.
  return m_host.ScanRunning() || m_engine.m_scanning || m_engine.m_downloading || m_engine.m_installing;
}

void TBackupController::ApplyBackupPage() {
  m_backupPage.Apply(m_backup.PageView(m_backupPage.AnyNodeTicked(), OtherRunGoing()));
}

void TBackupController::ApplyProgress() { m_progressPage.Apply(m_backup.ProgressView()); }

void TBackupController::ApplyRestore() { m_restorePage.Apply(m_restore.View()); }

int TBackupController::Ask(const std::string& title, const std::string& text, int kind) {
  return m_host.Ask(title, text, kind);
}

void TBackupController::ChangeBackupPathClick() {
  TFolderPicker picker(m_host.Owner(), m_ports.strings, m_model.IsOsVistaAndAbove());
  try {
    ChangeBackupLocation(picker, m_model, TFolderChoicePage::backup);
  } catch (const std::exception& error) {
    m_host.Ask(m_model.GetAppName(), error.what(), QV_KIND_ERROR);
  }
  ApplyBackupPage();
}

void TBackupController::aclBackupDriversExecute() {
  // One run at a time, and none beside a scan or an update.
  if (FbackupTask || OtherRunGoing() || !m_dispatcher) return;
  const std::vector<TDeviceProperties*> ticked = m_backupPage.TickedDevices();
  if (ticked.empty()) return;
  const std::string location = m_model.BackupLocation();
  std::error_code created;
  if (!location.empty()) std::filesystem::create_directories(ToPath(location), created);
  FbackupList = std::make_unique<TDriverMap>(BackupListOf(ticked, location, m_ports.locale));
  m_backup.RunStarting(static_cast<int>(FbackupList->size()), location);
  m_host.ShowCard(cardBackupProgress);
  ApplyProgress();
  ApplyBackupPage();
  m_host.EnableNavigation(false);
  m_hourglass = SetTempCursor();
  m_endedBackupTask.reset();
  m_raised.reset();
  FbackupTask = std::make_unique<TWorkerTask>(
      *m_dispatcher,
      [this, list = FbackupList.get(), handler = m_handler] {
        try {
          m_engine.Backup(*list, handler);
        } catch (const std::exception& error) {
          m_raised = error.what();
        } catch (...) {
          m_raised = Text(IDS_BACKUP_NOT_FINISHED);
        }
      },
      [this] { BackupTaskComplete(); });
}

void TBackupController::aclStopBackupExecute() {
  if (!FbackupTask) {
    m_host.ExecuteNavigation(TShellAction::aclBackup);  // the button shows "OK"
    return;
  }
  m_backup.StopAsked();
  m_engine.BackupCancel();
  ApplyProgress();
}

void TBackupController::BackupTaskComplete() {
  m_endedBackupTask = std::move(FbackupTask);
  FbackupList.reset();
  m_hourglass.reset();
  m_host.EnableNavigation(true);
  const std::optional<std::string> message = m_backup.TaskEnded(m_raised);
  ApplyProgress();
  ApplyBackupPage();
  if (message) m_host.Ask(m_model.GetAppName(), *message, QV_KIND_ERROR);
}

void TBackupController::StopBackupTask() {
  if (FbackupTask) m_engine.BackupCancel();
}

void TBackupController::EndBackupTask() {
  FbackupTask.reset();
  m_endedBackupTask.reset();
  m_hourglass.reset();
}

// The run clears the engine's stop flag as it starts: a stop asked before
// that is asked again here.
void TBackupController::ShowBackupStart() {
  m_backup.Started();
  if (m_backup.StopWasAsked()) m_engine.BackupCancel();
  ApplyProgress();
}

void TBackupController::ShowDriverBackupStart(const std::string& deviceName) {
  if (!BackupPageActive()) return;
  if (m_backup.StopWasAsked()) m_engine.BackupCancel();
  m_backup.DeviceStarted(deviceName);
  ApplyProgress();
}

void TBackupController::ShowDriverBackupEnd(const std::string& deviceName, bool success) {
  if (!BackupPageActive()) return;
  const std::optional<std::string> message = m_backup.DeviceEnded(deviceName, success);
  ApplyProgress();
  // A plain box centred on the screen.
  if (message) QvMessageBox(nullptr, m_ports.strings, m_model.GetAppName(), *message, QV_KIND_INFORMATION);
}

void TBackupController::ShowBackupEnd(bool success) {
  m_backup.Finished(success);
  ApplyProgress();
}

void TBackupController::UpdateRestorePage() {
  m_restore.Enter();
  ApplyRestore();
}

void TBackupController::ChangeRestorePathClick() {
  TFolderPicker picker(m_host.Owner(), m_ports.strings, m_model.IsOsVistaAndAbove());
  if (ChangeBackupLocation(picker, m_model, TFolderChoicePage::restore)) m_restore.Fill();
  ApplyRestore();
  ApplyBackupPage();
}

void TBackupController::RestoreListContextPopup(int line, POINT at) {
  if (line < 0) return;
  TMenu menu(CreatePopupMenu());
  if (!menu) return;
  const TRestoreView& view = m_restore.View();
  AppendMenuW(menu.Get(), MF_STRING | (view.deleteEnabled ? MF_ENABLED : MF_GRAYED), QV_MENU_DELETE_BACKUP,
              Utf8ToWide(view.deleteCaption).c_str());
  const UINT chosen =
      TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, m_host.Owner(), nullptr);
  menu.Reset();
  if (chosen != QV_MENU_DELETE_BACKUP) return;
  // DeleteBackupClick.
  m_restore.DeleteSelected(*this);
  ApplyRestore();
}

void TBackupController::aclRestoreDriverExecute() {
  m_restore.RestoreSelected(*this, m_ports.power);
  ApplyRestore();
}

TRestoreOutcome TBackupController::RestoreDriver(const std::string& folder, bool allowUnverified,
                                                bool& rebootRequired) {
  // The restore runs on this thread, its button disabled, under the hourglass.
  TRestoreView busy = m_restore.View();
  busy.restoreEnabled = false;
  m_restorePage.Apply(busy);
  const std::unique_ptr<TTempCursor> hourglass = SetTempCursor();
  const TRestoreOutcome restored = m_engine.Restore(folder, allowUnverified, rebootRequired);
  ApplyRestore();
  return restored;
}

bool TBackupController::DeleteBackupFolder(const std::string& folder) {
  return m_engine.DeleteBackup(reinterpret_cast<uintptr_t>(m_host.Owner()), folder);
}
