#include "app/program_update.h"

#include <utility>

#include "core/server_policy.h"
#include "platform/win32/win32_text.h"
#include "res/string_ids.h"
#include "ui/win32/message_dialog.h"

TProgramUpdate::TProgramUpdate(TCallbackDispatcher& dispatcher, TSystemPorts ports,
                               std::function<void(const std::string&)> showError)
    : m_strings(ports.strings),
      m_registry(ports.registry),
      m_showError(std::move(showError)),
      m_download(dispatcher.Port(), ports, m_signatures) {}

std::string TProgramUpdate::SetupUrl() const { return SetupUrlPolicy(m_registry).value_or(QV_SETUP_URL); }

std::string TProgramUpdate::SetupFilePath() {
  wchar_t folder[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH) return {};
  // The temporary folder can be given in its short (8.3) form.
  std::wstring path(folder, length);
  const DWORD longLength = GetLongPathNameW(path.c_str(), nullptr, 0);
  if (longLength > 0) {
    std::wstring longPath(longLength, L'\0');
    const DWORD written = GetLongPathNameW(path.c_str(), longPath.data(), longLength);
    if (written > 0 && written < longLength) path.assign(longPath.c_str(), written);
  }
  if (!path.empty() && path.back() != L'\\') path += L'\\';
  return WideToUtf8(path) + QV_SETUP_FILE_NAME;
}

bool TProgramUpdate::DoProgramUpdate(HWND owner, TProgressForm& progress) {
  if (m_download.Downloading()) return false;
  m_owner = owner;
  m_progress = &progress;
  return m_download.Start(SetupUrl(), SetupFilePath(), *this);
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
