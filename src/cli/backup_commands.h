// qvcli's backup, restore, backups and uninstall commands, and the console's lines
// for the backup callbacks.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/cli_context.h"
#include "cli/console_scan_view.h"

int RunBackupCommand(const std::vector<std::string>& arguments, const TCliContext& context);
int RunRestoreCommand(const std::vector<std::string>& arguments, const TCliContext& context);
int RunBackupsCommand(const std::vector<std::string>& arguments, const TCliContext& context);
int RunUninstallCommand(const std::vector<std::string>& arguments, const TCliContext& context);

// The console's view of a backup run: one line per device and one at the end.
class TConsoleBackupView : public TConsoleScanView {
 public:
  TConsoleBackupView(std::ostream& out, std::ostream& err) : TConsoleScanView(out, err), m_out(out) {}

  TActiveAction ActiveAction() const override { return TActiveAction::aclBackup; }
  void ShowDriverBackupStart(const std::string& deviceName) override {
    m_out << "Creating driver backup: " << deviceName << std::endl;
  }
  void ShowDriverBackupEnd(const std::string& deviceName, bool success) override {
    m_out << (success ? "Backup finished: " : "Backup failed: ") << deviceName << std::endl;
  }
  void ShowBackupEnd(bool success, bool canceled) override {
    m_ended = true;
    m_success = success;
    m_canceled = canceled;
    m_out << (canceled ? "Backup stopped." : success ? "Backup of drivers finished." : "Backup did not complete.")
          << std::endl;
  }

  bool Ended() const { return m_ended; }
  bool Succeeded() const { return m_success; }
  bool Canceled() const { return m_canceled; }

 private:
  std::ostream& m_out;
  bool m_ended = false;
  bool m_success = false;
  bool m_canceled = false;
};
