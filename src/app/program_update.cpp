#include "app/program_update.h"

#include <utility>

#include "core/paths.h"
#include "core/server_policy.h"
#include "engine/work_area.h"
#include "res/string_ids.h"
#include "ui/win32/message_dialog.h"

TProgramUpdate::TProgramUpdate(TCallbackDispatcher& dispatcher, TSystemPorts ports,
                               std::function<void(const std::string&)> showError)
    : m_strings(ports.strings),
      m_registry(ports.registry),
      m_showError(std::move(showError)),
      m_download(dispatcher.Port(), ports, m_signatures) {}

std::string TProgramUpdate::SetupUrl() const { return SetupUrlPolicy(m_registry).value_or(QV_SETUP_URL); }

std::string TProgramUpdate::SetupFilePath(IShell& shell) {
  const std::string programData = shell.ProgramDataFolder();
  if (programData.empty()) return {};
  return JoinPath(JoinPath(JoinPath(programData, QV_WORK_AREA_NAME), QV_UPDATE_FOLDER_NAME), QV_SETUP_FILE_NAME);
}

bool TProgramUpdate::DoProgramUpdate(HWND owner, TProgressForm& progress) {
  if (m_download.Downloading()) return false;
  m_owner = owner;
  m_progress = &progress;
  return m_download.Start(SetupUrl(), QV_SETUP_FILE_NAME, *this);
}

void TProgramUpdate::ShowProgress(const std::string& status) { m_progress->ShowProgress(status); }

void TProgramUpdate::UpdateProgress(int percent, const std::string& status) {
  m_progress->UpdateProgress(percent, status);
}

void TProgramUpdate::HideProgress() { m_progress->HideProgress(); }

void TProgramUpdate::HideProgressAfter(unsigned milliseconds, std::function<void()> afterHide) {
  UpdateWindow(m_progress->Handle());  // the completed bar shows during the pause
  m_progress->HideProgressAfter(milliseconds, std::move(afterHide));
}

void TProgramUpdate::CloseOwner() {
  if (m_owner) PostMessageW(m_owner, WM_CLOSE, 0, 0);
}

void TProgramUpdate::ShowError(const std::string& text) {
  if (m_showError) {
    m_showError(text);
    return;
  }
  QvMessageBox(m_owner, m_strings, m_strings.Load(IDS_PROGRESS_CAPTION), text, MB_OK | MB_ICONERROR);
}
