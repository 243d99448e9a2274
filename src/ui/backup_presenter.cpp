#include "ui/backup_presenter.h"

#include "core/errors.h"
#include "res/string_ids.h"

TBackupPresenter::TBackupPresenter(const TDriverDatamodel& model, IStringTable& strings)
    : m_model(model), m_strings(strings) {}

TBackupPageView TBackupPresenter::PageView(bool anyNodeTicked, bool otherRunGoing) const {
  TBackupPageView view;
  view.title = Text(IDS_BACKUP_TITLE);
  view.info = Text(IDS_BACKUP_INFO);
  view.pathLabel = Text(IDS_BACKUP_PATH_LABEL);
  view.path = m_model.BackupLocation();
  view.changeCaption = Text(IDS_CHANGE_PATH_CAPTION);
  view.changeHint = Text(IDS_CHANGE_BACKUP_PATH_HINT);
  view.backupCaption = Text(IDS_BACKUP_BUTTON_CAPTION);
  view.backupHint = Text(IDS_BACKUP_BUTTON_HINT);
  view.backupEnabled = anyNodeTicked && !otherRunGoing && !m_running;
  return view;
}

void TBackupPresenter::RunStarting(int count, const std::string& location) {
  m_location = location;
  m_running = true;
  m_started = m_finished = m_stopAsked = false;
  m_progress.deviceText.clear();
  m_progress.barShown = false;
  m_progress.barMax = count;
  m_progress.barPosition = 0;
  m_progress.stopCaption = Text(IDS_STOP_BACKUP_CAPTION);
  m_progress.stopEnabled = true;
}

void TBackupPresenter::Started() {
  m_started = true;
  m_progress.barShown = true;
  m_progress.barPosition = 0;
}

void TBackupPresenter::DeviceStarted(const std::string& deviceName) {
  // After a stop the page says so until the run ends.
  if (!m_stopAsked && !m_finished) m_progress.deviceText = deviceName;
}

std::optional<std::string> TBackupPresenter::DeviceEnded(const std::string& deviceName, bool success) {
  if (m_finished) return std::nullopt;
  if (m_progress.barPosition < m_progress.barMax) ++m_progress.barPosition;
  if (success || m_stopAsked) return std::nullopt;
  return FormatText(Text(IDS_BACKUP_DEVICE_FAILED), deviceName);
}

void TBackupPresenter::StopAsked() {
  if (!m_running || m_finished) return;
  m_stopAsked = true;
  m_progress.deviceText = Text(IDS_BACKUP_CANCELLING);
  m_progress.stopEnabled = false;
}

void TBackupPresenter::EndPage(const std::string& deviceText) {
  m_finished = true;
  m_progress.deviceText = deviceText;
  m_progress.stopCaption = Text(IDS_BUTTON_OK);
  m_progress.stopEnabled = true;
}

void TBackupPresenter::Finished(bool success) {
  if (m_finished) return;
  if (m_stopAsked) {
    m_progress.barShown = false;
    EndPage(Text(IDS_BACKUP_CANCELED));
  } else if (success) {
    EndPage(Text(IDS_BACKUP_FINISHED));
  } else if (!m_started) {
    // The run found no backup location.
    EndPage(FormatText(Text(IDS_BACKUP_FOLDER_MISSING), m_location));
  } else {
    EndPage(Text(IDS_BACKUP_NOT_FINISHED));
  }
}

std::optional<std::string> TBackupPresenter::TaskEnded(const std::optional<std::string>& raised) {
  m_running = false;
  if (m_finished) return std::nullopt;
  EndPage(Text(IDS_BACKUP_NOT_FINISHED));
  return raised.value_or(Text(IDS_BACKUP_NOT_FINISHED));
}

const TBackupProgressView& TBackupPresenter::ProgressView() {
  m_progress.title = Text(IDS_BACKUP_PROGRESS_TITLE);
  m_progress.info = FormatText(Text(IDS_BACKUP_PROGRESS_INFO), m_model.GetAppName());
  return m_progress;
}
