// TUpdateProgress: what the update progress page shows while drivers are downloaded and
// installed (status line, device name, bar, percentage, activity indicator, stop or Back
// button, the taskbar button's progress) as one view value, moved by the download,
// extract and install notifications.
#pragma once

#include <cstdint>
#include <string>

#include "platform/string_table.h"

enum class TStopUpdateRole { stop, back };
enum class TTaskbarProgressState { none, normal };

struct TUpdateProgressView {
  std::string title;
  std::string info;  // UpdateProgressInfo
  std::string deviceName;
  std::string status;
  bool barShown = false;
  int barPosition = 0;
  int barMaximum = 100;
  bool percentShown = false;
  std::string percentText = "0%";
  bool activity = false;
  TStopUpdateRole stopRole = TStopUpdateRole::back;
  std::string stopCaption, stopHint;
  TTaskbarProgressState taskbarState = TTaskbarProgressState::none;
  int taskbarValue = 0;
  int taskbarMaximum = 0;

  bool operator==(const TUpdateProgressView&) const = default;
};

// The percentage text of position out of maximum: rounded halves to even, at most
// "100%"; empty when there is no maximum to divide by.
std::string PercentText(int position, int maximum);

class TUpdateProgress {
 public:
  explicit TUpdateProgress(IStringTable& strings);

  // An update starts: stop role, bar and percentage hidden, device and status empty,
  // the info text "is updating" with the application name.
  void Begin();
  // SetStopUpdateButton: true gives Back, false Stop Update.
  void SetStopUpdateButton(bool back);
  void SetStatus(const std::string& status) { m_view.status = status; }
  void SetActivity(bool spinning) { m_view.activity = spinning; }
  // The end of an update that was cancelled, or that finished installing.
  void Cancelled();
  void Finished();

  // The callbacks of the download, backup, install and extract runs.
  void DownloadStart(int32_t count);
  void DriverDownloadStart(const std::string& deviceName, int32_t sizeKilobytes);
  void DownloadStep(int32_t kilobytes);
  void DriverDownloadEnd(int32_t result);
  void DownloadEnd(bool success);
  void DriverBackupStart();
  void BackupEnd();
  void InstallStart(int32_t count);
  void DriverInstallStart(const std::string& deviceName);
  void ExtractStart(int32_t entryCount);
  void FileExtracted();
  void ExtractEnd();
  void DriverInstallEnd(const std::string& status);
  void InstallEnd(bool success);

  const TUpdateProgressView& View() const { return m_view; }

 private:
  std::string Text(int id) const { return m_strings.Load(id); }
  void ShowPercent();

  IStringTable& m_strings;
  TUpdateProgressView m_view;
};

// The string-table texts of a device's download result and install result.
int DownloadResultTextId(int32_t result);
int InstallResultTextId(int32_t result);
