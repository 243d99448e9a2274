#include "ui/restore_presenter.h"

#include <optional>

#include "core/errors.h"
#include "core/message_box_kinds.h"
#include "core/paths.h"
#include "engine/backup_folders.h"
#include "engine/backup_staging.h"
#include "res/string_ids.h"

TRestorePresenter::TRestorePresenter(const TDriverDatamodel& model, IRegistry& registry, IStringTable& strings)
    : m_model(model), m_registry(registry), m_strings(strings) {}

void TRestorePresenter::Enter() {
  m_view.autoReboot = false;
  Fill();
}

void TRestorePresenter::Fill() {
  // The field shows the folder the list is read from.
  m_view.path = m_model.BackupLocation();
  m_names = BackupFolderNames(m_view.path);
  m_view.lines.clear();
  for (const std::string& name : m_names) {
    const bool unverified = BackupTrustOf(m_registry, JoinPath(m_view.path, name)) == btUnverified;
    m_view.lines.push_back(unverified ? FormatText(Text(IDS_BACKUP_UNVERIFIED_LINE), name) : name);
  }
  ++m_view.build;
  Select(-1);
}

void TRestorePresenter::Select(int line) {
  m_view.selected = line >= 0 && static_cast<size_t>(line) < m_view.lines.size() ? line : -1;
  m_view.restoreEnabled = m_view.deleteEnabled = m_view.selected >= 0;
}

std::string TRestorePresenter::SelectedFolder() const {
  if (m_view.selected < 0) return {};
  const std::optional<std::string> folder =
      BackupFolderPath(m_view.path, m_names[static_cast<size_t>(m_view.selected)]);
  return folder.value_or(std::string());
}

bool TRestorePresenter::RestoreSelected(IRestoreHost& host, IPower& power) {
  if (m_view.selected < 0) return false;
  const std::string title = Text(IDS_RESTORE_TITLE);
  const std::string folder = SelectedFolder();
  bool rebootRequired = false;
  TRestoreOutcome outcome = folder.empty() ? roFailed : host.RestoreDriver(folder, false, rebootRequired);
  if (outcome == roUnverified) {
    if (host.Ask(title, Text(IDS_RESTORE_UNVERIFIED_QUESTION), QV_KIND_YES_NO) != ID_YES) return false;
    outcome = host.RestoreDriver(folder, true, rebootRequired);
  }
  if (outcome != roRestored) {
    host.Ask(title, Text(outcome == roChanged ? IDS_BACKUP_CHANGED_TEXT : IDS_RESTORE_FAILED_TEXT),
             QV_KIND_RESTORE_NOTICE);
    return false;
  }
  host.Ask(title, Text(IDS_RESTORED_TEXT), QV_KIND_RESTORE_NOTICE);
  if (!rebootRequired) return false;
  const TRebootRequest request{m_view.autoReboot ? TRebootMode::automatic : TRebootMode::ask, title,
                               Text(IDS_RESTORE_REBOOT_QUESTION)};
  return RebootForDriverChange(request, host, power, m_strings);
}

void TRestorePresenter::DeleteSelected(IRestoreHost& host) {
  const std::string appName = m_model.GetAppName();
  if (host.Ask(appName, Text(IDS_DELETE_BACKUP_QUESTION), QV_KIND_DELETE_QUESTION) != ID_YES) return;
  if (m_view.selected < 0) return;
  const std::string folder = SelectedFolder();
  if (folder.empty() || !host.DeleteBackupFolder(folder)) {
    host.Ask(appName, Text(IDS_BACKUP_DELETE_FAILED_TEXT), QV_KIND_RESTORE_NOTICE);
    return;
  }
  host.Ask(appName, Text(IDS_BACKUP_DELETED_TEXT), QV_KIND_RESTORE_NOTICE);
  Fill();
}

const TRestoreView& TRestorePresenter::View() {
  m_view.title = Text(IDS_RESTORE_TITLE);
  m_view.info = Text(IDS_RESTORE_INFO);
  m_view.pathLabel = Text(IDS_RESTORE_PATH_LABEL);
  m_view.changeCaption = Text(IDS_CHANGE_PATH_CAPTION);
  m_view.changeHint = Text(IDS_CHANGE_RESTORE_PATH_HINT);
  m_view.promptRebootCaption = Text(IDS_PROMPT_REBOOT_CAPTION);
  m_view.autoRebootCaption = Text(IDS_AUTO_REBOOT_CAPTION);
  m_view.restoreCaption = Text(IDS_RESTORE_BUTTON_CAPTION);
  m_view.restoreHint = Text(IDS_RESTORE_BUTTON_HINT);
  m_view.deleteCaption = Text(IDS_DELETE_BACKUP_CAPTION);
  return m_view;
}
