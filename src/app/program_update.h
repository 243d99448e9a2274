// TProgramUpdate: the program update's download as the main window runs it: the
// progress window shows it, and the main window closes when the setup has started
// (TProgramUpdateDownload decides and does the rest). The setup is saved as
// "qvtempinstaller.exe" in the protected work area's "Update" folder; its signature is
// checked with WinVerifyTrust before it starts, and a refusal is told in the program's
// message box.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app/progress_form.h"
#include "platform/system_ports.h"
#include "platform/win32/win32_file_signature.h"
#include "ui/callback_dispatcher.h"
#include "ui/program_update_download.h"

// The vendor's address of the setup program; the administrator's policy value
// "SetupUrl" (core/server_policy.h) replaces it, as for a mirror or a loopback test server.
inline constexpr const char* QV_SETUP_URL = "https://www.quorvane.com/download/qvsetup.exe";
inline constexpr const char* QV_SETUP_FILE_NAME = "qvtempinstaller.exe";

class TProgramUpdate : private IProgramUpdateView {
 public:
  // The download's notifications reach the UI thread of `dispatcher` through a
  // dispatcher of their own. The progress window must outlive this object.
  // showError replaces the message box that tells an error (tests record it).
  TProgramUpdate(TCallbackDispatcher& dispatcher, TSystemPorts ports,
                 std::function<void(const std::string&)> showError = nullptr);

  // DoProgramUpdate (UI thread): shows the progress window and starts the
  // download. False when one is running already.
  bool DoProgramUpdate(HWND owner, TProgressForm& progress);
  bool Downloading() const { return m_download.Downloading(); }
  TProgramUpdateOutcome LastOutcome() const { return m_download.LastOutcome(); }

  // The setup address in force, and the file the setup is saved to (made by the download).
  std::string SetupUrl() const;
  static std::string SetupFilePath(IShell& shell);

 private:
  void ShowProgress(const std::string& status) override;
  void UpdateProgress(int percent, const std::string& status) override;
  void HideProgress() override;
  void HideProgressAfter(unsigned milliseconds, std::function<void()> afterHide) override;
  void CloseOwner() override;
  void ShowError(const std::string& text) override;

  HWND m_owner = nullptr;
  TProgressForm* m_progress = nullptr;
  IStringTable& m_strings;
  IRegistry& m_registry;
  std::function<void(const std::string&)> m_showError;
  TWin32FileSignature m_signatures;
  TProgramUpdateDownload m_download;  // last: it ends before the window pointers go
};
