// TProgramUpdate: the download of the program's new setup after the user agreed
// to update. A thread of its own fetches the setup into memory; its progress and
// its end reach the UI thread through the dispatcher. At the end the setup is
// saved as "qvtempinstaller.exe" in the temporary folder and started, and the
// owner window (the main window) is asked to close so the setup can replace the
// program.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/progress_form.h"
#include "engine/setup_download.h"
#include "platform/system_ports.h"
#include "ui/callback_dispatcher.h"

// The vendor's address of the setup program; the environment variable
// QUORVANE_SETUP_URL replaces it (tests point it at a loopback server).
inline constexpr const char* QV_SETUP_URL = "https://www.quorvane.com/download/qvsetup.exe";
inline constexpr const char* QV_SETUP_FILE_NAME = "qvtempinstaller.exe";

// How the last download ended.
enum class TProgramUpdateOutcome {
  none,        // none has ended yet
  failed,      // no connection, an HTTP error, a broken transfer: nothing saved or started
  notSaved,    // a setup of that name is running, or the file could not be written
  notStarted,  // saved, but the shell refused to start it
  started,     // started; the owner window was asked to close
};

class TProgramUpdate {
 public:
  // The progress window must outlive this object.
  TProgramUpdate(TCallbackDispatcher& dispatcher, TSystemPorts ports);
  // Cancels a running download and waits for its thread; what it posted is dropped.
  ~TProgramUpdate();
  TProgramUpdate(const TProgramUpdate&) = delete;
  TProgramUpdate& operator=(const TProgramUpdate&) = delete;

  // DoProgramUpdate (UI thread): shows the progress window and starts the
  // download. False when one is running already.
  bool DoProgramUpdate(HWND owner, TProgressForm& progress);
  bool Downloading() const { return m_downloading; }
  TProgramUpdateOutcome LastOutcome() const { return m_outcome; }

  // The setup address in force, and the file the setup is saved to.
  static std::string SetupUrl();
  static std::string SetupFilePath();

 private:
  struct TTransfer;

  void ProgramUpdateProgress(uint64_t total, uint64_t received);
  void ProgramUpdateDownloaded(TSetupDownloaded received);
  void Finish(bool saved, const std::string& target);
  bool SaveReplacing(const std::string& target, const std::vector<uint8_t>& body);
  void Cancel();

  TCallbackDispatcher& m_dispatcher;
  TSystemPorts m_ports;
  HWND m_owner = nullptr;
  TProgressForm* m_progress = nullptr;
  // Work posted to the UI thread holds this; it runs only while it names this object.
  std::shared_ptr<TProgramUpdate*> m_self;
  std::shared_ptr<TTransfer> m_transfer;
  std::thread m_thread;  // Fthread
  bool m_downloading = false;
  TProgramUpdateOutcome m_outcome = TProgramUpdateOutcome::none;
};
