#include "ui/general_settings_presenter.h"

#include <exception>

#include "core/errors.h"
#include "core/launch.h"
#include "core/message_box_kinds.h"
#include "core/windows_policies.h"
#include "engine/restore_points.h"
#include "res/string_ids.h"

namespace {

constexpr int BOX_CAPTIONS[QV_GENERAL_BOX_COUNT] = {
    IDS_BOX_CHECK_UPDATE, IDS_BOX_SCAN_AT_START,  IDS_BOX_SHOW_SPLASH,    IDS_BOX_SHOW_UNPLUGGED,
    IDS_BOX_START_AT_LOGIN, IDS_BOX_RESTORE_POINT, IDS_BOX_WINDOWS_UPDATES,
};
constexpr int LANGUAGE_NAMES[QV_LANGUAGE_COUNT] = {
    IDS_LANGUAGE_0, IDS_LANGUAGE_1, IDS_LANGUAGE_2, IDS_LANGUAGE_3, IDS_LANGUAGE_4,
    IDS_LANGUAGE_5, IDS_LANGUAGE_6, IDS_LANGUAGE_7, IDS_LANGUAGE_8, IDS_LANGUAGE_9,
};

// "C:\" of a folder "C:\Windows"; empty for a path without a drive.
std::string DriveOf(const std::string& folder) {
  if (folder.size() < 2 || folder[1] != ':') return {};
  return folder.substr(0, 2) + "\\";
}

}  // namespace

TGeneralSettingsPresenter::TGeneralSettingsPresenter(TDriverDatamodel& model, TSystemPorts ports,
                                                     IMessageSink* sink, IGeneralSettingsHost& host)
    : m_model(model), m_ports(ports), m_sink(sink), m_host(host) {}

void TGeneralSettingsPresenter::Load() {
  Checked(TGeneralBox::checkForUpdate) = m_model.CheckForUpdate();
  Checked(TGeneralBox::runScanAtStart) = m_model.RunScanAtStart();
  Checked(TGeneralBox::showSplash) = m_model.ShowSplash();
  Checked(TGeneralBox::showUnplugged) = m_model.ShowUnplugged();
  Checked(TGeneralBox::startAtLogin) = m_model.StartatLogin();
  Checked(TGeneralBox::restorePoint) = m_model.UseRestorePoints();
  Checked(TGeneralBox::windowsDriverUpdates) = m_model.WindowsDriverUpdates();
  m_language = m_model.Language() >= 0 && m_model.Language() < QV_LANGUAGE_COUNT ? m_model.Language() : 0;
  m_saveEnabled = false;
}

TGeneralSettingsView TGeneralSettingsPresenter::View() const {
  TGeneralSettingsView view;
  view.title = Text(IDS_CARD_SETTINGS);
  for (size_t i = 0; i < QV_GENERAL_BOX_COUNT; ++i) {
    view.boxes[i].caption = FormatText(Text(BOX_CAPTIONS[i]), m_model.GetAppName());
    view.boxes[i].checked = m_checked[i];
  }
  view.boxes[static_cast<size_t>(TGeneralBox::windowsDriverUpdates)].hint = Text(IDS_BOX_WINDOWS_UPDATES_HINT);
  view.languageLabel = Text(IDS_LANGUAGE_LABEL);
  view.languageHint = Text(IDS_LANGUAGE_HINT);
  for (int name : LANGUAGE_NAMES) view.languages.push_back(Text(name));
  view.language = m_language;
  view.downloadLabel = Text(IDS_DOWNLOAD_PATH_LABEL);
  view.downloadPath = m_model.DownloadLocation();
  view.change = Text(IDS_CHANGE_CAPTION);
  view.changeHint = Text(IDS_CHANGE_DOWNLOAD_HINT);
  view.systemRestore = Text(IDS_SYSTEM_RESTORE_CAPTION);
  view.save = Text(IDS_SAVE_CAPTION);
  view.saveEnabled = m_saveEnabled;
  return view;
}

void TGeneralSettingsPresenter::BoxClicked(TGeneralBox box, bool checked) {
  Checked(box) = checked;
  m_saveEnabled = true;
}

void TGeneralSettingsPresenter::LanguagePicked(int language) {
  if (language < 0 || language >= QV_LANGUAGE_COUNT) return;
  m_language = language;
  m_saveEnabled = true;
}

void TGeneralSettingsPresenter::Save() {
  m_model.SetCheckForUpdate(Checked(TGeneralBox::checkForUpdate));
  m_model.SetRunScanAtStart(Checked(TGeneralBox::runScanAtStart));
  m_model.SetStartatLogin(Checked(TGeneralBox::startAtLogin));
  m_model.SetShowSplash(Checked(TGeneralBox::showSplash));

  if (Checked(TGeneralBox::restorePoint) && !IsSystemRestoreEnabled(m_ports)) {
    const bool enable =
        m_host.Ask(m_model.GetAppName(), Text(IDS_SYSTEM_RESTORE_OFF_QUESTION), QV_KIND_YES_NO) == ID_YES;
    // The system drive is the Windows folder's, whatever the environment says.
    if (!enable || !EnableSystemRestore(m_ports, m_sink, DriveOf(m_ports.shell.WindowsFolder())))
      Checked(TGeneralBox::restorePoint) = false;
  }
  m_model.SetUseRestorePoints(Checked(TGeneralBox::restorePoint));

  SetWindowsDriverUpdates(m_ports.registry, Checked(TGeneralBox::windowsDriverUpdates));
  m_model.SetWindowsDriverUpdates(Checked(TGeneralBox::windowsDriverUpdates));

  if (Checked(TGeneralBox::showUnplugged) != m_model.ShowUnplugged()) {
    m_model.SetShowUnplugged(Checked(TGeneralBox::showUnplugged));
    m_host.UnpluggedShowingChanged();
  }

  bool restart = false;
  if (m_language != m_model.Language()) {
    SaveLanguageChoice(m_ports.registry, m_ports.processes.ModuleFileName(), m_language);
    m_model.SetLanguage(m_language);
    restart = m_host.Ask(Text(IDS_LANGUAGE_RESTART_TITLE), FormatText(Text(IDS_LANGUAGE_RESTART_QUESTION), m_model.GetAppName()),
                         QV_KIND_YES_NO) == ID_YES;
  }
  // The settings file holds the new language before the restarted copy reads it.
  StoreSettings();
  m_saveEnabled = false;
  if (restart) m_host.RestartApplication();
}

void TGeneralSettingsPresenter::ChangeDownloadPath() {
  const std::string chosen = m_host.ChooseFolder(Text(IDS_SELECT_DOWNLOAD_FOLDER), m_model.DownloadLocation());
  if (chosen.empty() || chosen == m_model.DownloadLocation()) return;
  m_model.SetDownloadLocation(chosen);
  StoreSettings();
}

void TGeneralSettingsPresenter::RunSystemRestore() {
  const std::string system32 = m_ports.shell.WindowsFolder() + "\\system32";
  if (m_model.IsOsVistaAndAbove())
    LaunchAndWait(m_ports.shell, 0, system32 + "\\rstrui.exe", "", false, true);
  else
    LaunchAndWait(m_ports.shell, 0, system32 + "\\restore\\rstrui.exe", "", true, true);
}

void TGeneralSettingsPresenter::StoreSettings() {
  try {
    m_model.DumpSettings();
  } catch (const std::exception& error) {
    m_host.Ask(m_model.GetAppName(), error.what(), QV_KIND_ERROR);
  }
}
