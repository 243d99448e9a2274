// TBackupPresenter: what the backup page and the backup progress page show, and
// the progress page's states through one run: reset when the run starts, the
// bar and the device while it goes, "Cancelling backup..." after a stop, and
// its end (finished, canceled, failed, folder missing, or the run raised).
#pragma once

#include <optional>
#include <string>

#include "core/data_model.h"
#include "platform/string_table.h"

struct TBackupPageView {
  std::string title, info, pathLabel, path;
  std::string changeCaption, changeHint, backupCaption, backupHint;
  bool backupEnabled = false;

  bool operator==(const TBackupPageView&) const = default;
};

struct TBackupProgressView {
  std::string title, info;
  std::string deviceText;
  bool barShown = false;
  int barMax = 0;
  int barPosition = 0;
  std::string stopCaption;  // "&Stop Backup" while the run goes, then "OK"
  bool stopEnabled = true;

  bool operator==(const TBackupProgressView&) const = default;
};

class TBackupPresenter {
 public:
  TBackupPresenter(const TDriverDatamodel& model, IStringTable& strings);

  // The backup page: Backup is enabled when a node is ticked and no other run
  // (a scan, an update, a backup) is going on.
  TBackupPageView PageView(bool anyNodeTicked, bool otherRunGoing) const;

  // The progress page of a run of `count` devices into `location`, from its start.
  void RunStarting(int count, const std::string& location);
  // StartBackup.
  void Started();
  void DeviceStarted(const std::string& deviceName);
  // FinishDriverBackup: the bar steps; the failure message to show, if any
  // (none after a stop, whose device search ends as a failure).
  std::optional<std::string> DeviceEnded(const std::string& deviceName, bool success);
  // The stop button while the run goes.
  void StopAsked();
  bool StopWasAsked() const { return m_stopAsked; }
  // FinishBackup.
  void Finished(bool success);
  // The run's task has ended; `raised` is the error that ended it early. The
  // message to show when the run ended without FinishBackup.
  std::optional<std::string> TaskEnded(const std::optional<std::string>& raised);
  // Between RunStarting and TaskEnded.
  bool Running() const { return m_running; }

  const TBackupProgressView& ProgressView();

 private:
  std::string Text(int id) const { return m_strings.Load(id); }
  void EndPage(const std::string& deviceText);

  const TDriverDatamodel& m_model;
  IStringTable& m_strings;
  TBackupProgressView m_progress;
  std::string m_location;
  bool m_running = false;
  bool m_started = false;
  bool m_finished = false;
  bool m_stopAsked = false;
};
