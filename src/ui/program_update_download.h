// TProgramUpdateDownload: the download of the program's new setup after the user
// agreed to update. A worker task fetches the setup (TSetupDownload) straight into a new
// temporary file in the protected work area's "Update" folder, where nobody but
// administrators can write or plant a file beside it; its progress and its end reach the UI
// thread through a dispatcher of its own, so ending the download drops what it posted and
// releases its worker without touching the window's other notifications. A whole setup is
// moved over its name there, unless a process of that name runs; anything else is deleted.
// Right before it is started through the shell (silent, as the program's own update), it
// is held unchanged and its signature checked against the running program's and its file
// version found above the running program's, and a setup that fails either is deleted.
// The view shows the progress and closes its owner so that the setup can replace the program.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/partial_file.h"
#include "engine/setup_download.h"
#include "platform/file_signature.h"
#include "platform/system_ports.h"
#include "ui/callback_dispatcher.h"
#include "ui/worker_task.h"

// How the last download ended.
enum class TProgramUpdateOutcome {
  none,        // none has ended yet
  failed,      // no connection, an HTTP error, a broken transfer: nothing saved or started
  notSaved,    // no work area, a setup of that name is running, or the file could not be written
  notVerified, // saved, but not signed like the running program: deleted, not started
  notNewer,    // saved and signed, but its file version is not above the running program's: deleted, not started
  notStarted,  // saved, but the shell refused to start it
  started,     // started; the owner window was asked to close
};

// The progress window and its owner, as the download uses them (UI thread).
class IProgramUpdateView {
 public:
  virtual ~IProgramUpdateView() = default;
  virtual void ShowProgress(const std::string& status) = 0;
  // A percentage; status replaces the status line unless empty.
  virtual void UpdateProgress(int percent, const std::string& status) = 0;
  virtual void HideProgress() = 0;
  // Shows the window as it is now for milliseconds, hides it, then runs afterHide.
  virtual void HideProgressAfter(unsigned milliseconds, std::function<void()> afterHide) = 0;
  // Asks the owner window (the main window) to close.
  virtual void CloseOwner() = 0;
  // Tells the user why the update stopped (an error message).
  virtual void ShowError(const std::string& text) = 0;
};

class TProgramUpdateDownload {
 public:
  // signatures checks the setup before it starts; a download stops and fails past
  // setupSizeLimit bytes.
  TProgramUpdateDownload(IUiThreadPort& uiThread, TSystemPorts ports, IFileSignature& signatures,
                         uint64_t setupSizeLimit = QV_SETUP_SIZE_LIMIT);
  // Cancels a running download and joins its worker; what it posted is dropped.
  ~TProgramUpdateDownload();
  TProgramUpdateDownload(const TProgramUpdateDownload&) = delete;
  TProgramUpdateDownload& operator=(const TProgramUpdateDownload&) = delete;

  // DoProgramUpdate (UI thread): shows the progress and starts fetching url into the file
  // fileName of the work area's update folder. False when a download runs already.
  bool Start(const std::string& url, const std::string& fileName, IProgramUpdateView& view);
  bool Downloading() const { return m_downloading; }
  TProgramUpdateOutcome LastOutcome() const { return m_outcome; }

 private:
  void ProgramUpdateProgress(uint64_t total, uint64_t received);
  void ProgramUpdateDownloaded();
  void Finish(bool saved);
  // Cancels the worker, drops what it posted and joins it.
  void EndTask();

  IUiThreadPort& m_uiThread;
  TSystemPorts m_ports;
  IFileSignature& m_signatures;
  uint64_t m_setupSizeLimit;
  IProgramUpdateView* m_view = nullptr;
  std::string m_fileName;
  std::string m_target;  // the saved setup
  // One of each per download, ended by EndTask.
  std::unique_ptr<TCallbackDispatcher> m_dispatcher;
  std::unique_ptr<TSetupDownload> m_fetch;
  // Written by the worker before its completion step: the setup's file while it is not
  // whole (null when the work area or the file could not be had), and whether it is.
  std::unique_ptr<TPartialFile> m_partial;
  bool m_complete = false;
  std::unique_ptr<TWorkerTask> m_task;  // Fthread
  // The pause before starting the setup holds a weak copy: it runs only while this lives.
  std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
  bool m_downloading = false;
  TProgramUpdateOutcome m_outcome = TProgramUpdateOutcome::none;
};
