// qvcli's install and update commands, and what they share: the devices picked from
// the stored scan result and the console's lines for the backup, extract and install
// callbacks on top of the download's.
#pragma once

#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli_context.h"
#include "cli/console_download_view.h"
#include "core/data_model.h"
#include "res/string_ids.h"
#include "ui/callback_relay.h"

int RunInstallCommand(const std::vector<std::string>& arguments, const TCliContext& context);
int RunUpdateCommand(const std::vector<std::string>& arguments, const TCliContext& context);

// The devices of the stored scan result with the given hardware ids, ordered by their
// class descriptions as the update pages order them. Raises for no id, an option, or
// an id the last scan does not know.
TDriverMap PickDevices(const TDriverDatamodel& model, const std::vector<std::string>& arguments,
                       const char* usage);

// The console's view of an update: the download's lines, then one line per backup,
// install and extract notification.
class TConsoleInstallView : public TConsoleDownloadView {
 public:
  TConsoleInstallView(std::ostream& out, std::ostream& err, IStringTable& strings)
      : TConsoleDownloadView(out, err, strings), m_out(out) {}

  TActiveAction ActiveAction() const override { return TActiveAction::aclUpdateDriver; }
  void ShowDriverBackupStart(const std::string& deviceName) override {
    m_out << "Creating driver backup: " << deviceName << "\n";
  }
  void ShowDriverBackupEnd(const std::string& deviceName, bool success) override {
    m_out << (success ? "Backup finished: " : "Backup failed: ") << deviceName << "\n";
  }
  void ShowUpdateBackupEnd() override { m_out << m_strings.Load(IDS_BACKUP_FINISHED_STATUS) << "\n"; }
  void ShowInstallStart(int32_t) override {}  // the handler prints the line
  void ShowDriverInstallStart(const std::string& deviceName) override {
    m_deviceName = deviceName;
    m_out << "Starting install of driver: " << deviceName << std::endl;
  }
  void ShowDriverInstallEnd(int32_t result) override {
    m_out << m_deviceName << ": " << m_strings.Load(InstallResultTextId(result)) << std::endl;
  }
  void MarkInstalled(const TDeviceProperties&) override {}
  void ShowInstallEnd(bool success, bool rebootRequired) override {
    m_out << (success ? "Installation of drivers finished." : "Installation did not complete.") << "\n";
    if (rebootRequired) m_out << "Restart the computer to complete the installation.\n";
    m_out.flush();
  }
  void ShowExtractStart(int32_t entryCount) override {
    m_out << "Extracting files... (" << entryCount << " entries)" << std::endl;
  }
  void ShowExtractEnd(bool) override { m_out << "Installing driver..." << std::endl; }
  // Written by the handler, which knows the entry's name.
  void ShowLine(const std::string& line) { m_out << line << "\n"; }

 private:
  std::ostream& m_out;
  std::string m_deviceName;
};

// The window's handler for the console, noting how each device's install ended (a
// device without a package in the download folder counts as failed, as in the window).
class TConsoleInstallHandler : public TCallbackRelay {
 public:
  TConsoleInstallHandler(TCallbackDispatcher& dispatcher, TConsoleInstallView& view)
      : TCallbackRelay(dispatcher, view), m_dispatcher(dispatcher), m_view(view) {}

  bool AnyInstallFailed() const { return m_installFailed; }
  bool AnyInstallStopped() const { return m_installStopped; }

  void StartInstall(int32_t nCount) override;
  void FinishDriverInstall(const TDeviceProperties& deviceProps, int32_t AResult) override;
  void StartFileExtract(const std::string& AFileName) override;

 private:
  TCallbackDispatcher& m_dispatcher;
  TConsoleInstallView& m_view;
  // Worker-thread state, read after the run.
  bool m_installFailed = false;
  bool m_installStopped = false;
};

class TPlainLoop;

// RunOnWorker for commands that report its outcome themselves: returns whether Ctrl+C
// was pressed, and raises again the error the run raised.
bool RunWithConsole(const TCliContext& context, TPlainLoop& loop, const std::function<void()>& work,
                    const std::function<void()>& cancel);
