#include "ui/update_progress.h"

#include <algorithm>

#include "core/errors.h"
#include "res/string_ids.h"
#include "ui/progress_state.h"

namespace {

// The table's "%d" filled with the count; nothing else of the text is formatted.
std::string WithCount(const std::string& format, int32_t count) {
  std::string text = format;
  const auto at = text.find("%d");
  if (at != std::string::npos) text.replace(at, 2, std::to_string(count));
  return text;
}

}  // namespace

std::string PercentText(int position, int maximum) {
  if (maximum <= 0) return {};
  const auto percent = DownloadPercent(static_cast<uint64_t>(std::max(position, 0)), static_cast<uint64_t>(maximum));
  return std::to_string(percent.value_or(0)) + "%";
}

int DownloadResultTextId(int32_t result) {
  switch (result) {
    case 0: return IDS_DOWNLOAD_RESULT_0;
    case 1: return IDS_DOWNLOAD_RESULT_1;
    case 2: return IDS_DOWNLOAD_RESULT_2;
    case 3: return IDS_DOWNLOAD_RESULT_3;
    case 4: return IDS_DOWNLOAD_RESULT_4;
    default: return IDS_DOWNLOAD_RESULT_FAILED;
  }
}

int InstallResultTextId(int32_t result) {
  switch (result) {
    case 0: return IDS_INSTALL_RESULT_0;
    case 2: return IDS_INSTALL_RESULT_2;
    default: return IDS_INSTALL_RESULT_1;
  }
}

TUpdateProgress::TUpdateProgress(IStringTable& strings) : m_strings(strings) {
  m_view.title = Text(IDS_UPDATE_PROGRESS_TITLE);
  SetStopUpdateButton(true);
}

void TUpdateProgress::Begin() {
  SetStopUpdateButton(false);
  m_view.barShown = false;
  m_view.percentShown = false;
  m_view.deviceName.clear();
  m_view.status.clear();
  m_view.activity = false;
  m_view.taskbarState = TTaskbarProgressState::none;
  m_view.info = FormatText(Text(IDS_UPDATE_PROGRESS_INFO), "Quorvane");
}

void TUpdateProgress::SetStopUpdateButton(bool back) {
  m_view.stopRole = back ? TStopUpdateRole::back : TStopUpdateRole::stop;
  m_view.stopCaption = Text(back ? IDS_BACK_TO_RESULTS_CAPTION : IDS_STOP_UPDATE_CAPTION);
  m_view.stopHint = back ? Text(IDS_BACK_TO_RESULTS_HINT) : std::string();
}

void TUpdateProgress::Cancelled() {
  SetStopUpdateButton(true);
  m_view.activity = false;
  m_view.info = Text(IDS_UPDATE_CANCELLED_INFO);
}

void TUpdateProgress::Finished() {
  m_view.status.clear();
  m_view.deviceName.clear();
  m_view.info = Text(IDS_UPDATE_FINISHED_INFO);
}

void TUpdateProgress::ShowPercent() {
  m_view.percentText = PercentText(m_view.barPosition, m_view.barMaximum);
  m_view.percentShown = !m_view.percentText.empty();
}

void TUpdateProgress::DownloadStart(int32_t count) {
  m_view.status = WithCount(Text(IDS_DOWNLOAD_START_STATUS), count);
  m_view.barPosition = 0;
  m_view.barShown = true;
  m_view.percentText = "0%";
  m_view.percentShown = true;
  m_view.activity = true;
}

void TUpdateProgress::DriverDownloadStart(const std::string& deviceName, int32_t sizeKilobytes) {
  // Each file's progress starts from nothing; an unknown size shows no percentage.
  m_view.barMaximum = std::max(sizeKilobytes, 0);
  m_view.barPosition = 0;
  m_view.taskbarMaximum = m_view.barMaximum;
  m_view.taskbarValue = 0;
  m_view.taskbarState = TTaskbarProgressState::normal;
  m_view.deviceName = deviceName;
  m_view.status = Text(IDS_DOWNLOADING_STATUS);
  ShowPercent();
}

void TUpdateProgress::DownloadStep(int32_t kilobytes) {
  if (kilobytes <= 0) return;
  // More than announced stops at the end of the bar.
  m_view.barPosition = std::min(m_view.barPosition + kilobytes, m_view.barMaximum);
  m_view.taskbarValue = std::min(m_view.taskbarValue + kilobytes, m_view.taskbarMaximum);
  ShowPercent();
}

void TUpdateProgress::DriverDownloadEnd(int32_t result) {
  m_view.status = Text(DownloadResultTextId(result));
  m_view.activity = false;
}

void TUpdateProgress::DownloadEnd(bool success) {
  if (success) {
    m_view.status = Text(IDS_DOWNLOADS_FINISHED_STATUS);
    m_view.deviceName.clear();
  }
  m_view.barShown = false;
  m_view.percentText = "100%";
  m_view.percentShown = false;
  m_view.taskbarState = TTaskbarProgressState::none;
  m_view.activity = false;
}

void TUpdateProgress::DriverBackupStart() { m_view.status = Text(IDS_BACKUP_CREATING_STATUS); }

void TUpdateProgress::BackupEnd() { m_view.status = Text(IDS_BACKUP_FINISHED_STATUS); }

void TUpdateProgress::InstallStart(int32_t count) { m_view.status = WithCount(Text(IDS_INSTALL_START_STATUS), count); }

void TUpdateProgress::DriverInstallStart(const std::string& deviceName) {
  m_view.deviceName = deviceName;
  m_view.status = Text(IDS_INSTALL_DRIVER_START_STATUS);
  m_view.activity = true;
}

void TUpdateProgress::ExtractStart(int32_t entryCount) {
  m_view.status = Text(IDS_EXTRACTING_STATUS);
  m_view.barMaximum = std::max(entryCount, 0);
  m_view.barPosition = 0;
  m_view.percentText = "0%";
  m_view.percentShown = true;
  m_view.barShown = true;
}

void TUpdateProgress::FileExtracted() {
  // The percentage before the step, as the bar moves after it.
  ShowPercent();
  m_view.barPosition = std::min(m_view.barPosition + 1, m_view.barMaximum);
}

void TUpdateProgress::ExtractEnd() {
  m_view.status = Text(IDS_INSTALLING_STATUS);
  m_view.barShown = false;
  m_view.percentText = "100%";
  m_view.percentShown = false;
}

void TUpdateProgress::DriverInstallEnd(const std::string& status) {
  m_view.status = status;
  m_view.activity = false;
}

void TUpdateProgress::InstallEnd(bool success) {
  // Back comes with the end texts, once the update task has completed.
  if (success) m_view.status = Text(IDS_INSTALLS_FINISHED_STATUS);
  m_view.activity = false;
}
