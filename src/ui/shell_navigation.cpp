#include "ui/shell_navigation.h"

#include <algorithm>

#include "res/string_ids.h"

TActionTexts ActionTexts(TShellAction action) {
  switch (action) {
    case aclHome: return {IDS_NAV_OVERVIEW, IDS_NAV_OVERVIEW_HINT};
    case aclResults: return {IDS_NAV_RESULTS, IDS_NAV_RESULTS_HINT};
    case aclBackup: return {IDS_NAV_BACKUP, IDS_NAV_BACKUP_HINT};
    case aclRestore: return {IDS_NAV_RESTORE, IDS_NAV_RESTORE_HINT};
    case aclSettings: return {IDS_NAV_SETTINGS, IDS_NAV_SETTINGS_HINT};
    case aclBack: return {IDS_NAV_BACK, 0};
    case aclGeneral: return {IDS_NAV_GENERAL, IDS_NAV_GENERAL_HINT};
    case aclConnection: return {IDS_NAV_CONNECTION, IDS_NAV_CONNECTION_HINT};
    case aclSchedule: return {IDS_NAV_SCHEDULE, IDS_NAV_SCHEDULE_HINT};
    case aclIgnored: return {IDS_NAV_IGNORED, IDS_NAV_IGNORED_HINT};
    case aclSysInfo: return {IDS_NAV_SYSINFO, IDS_NAV_SYSINFO_HINT};
    case aclUpdateDriver: return {0, 0};
  }
  return {0, 0};
}

int CardTitleId(TShellCard card) {
  static constexpr int titles[QV_CARD_COUNT] = {
      IDS_CARD_OVERVIEW, IDS_CARD_SCAN_RESULTS,     IDS_CARD_BACKUP,          IDS_CARD_RESTORE,
      IDS_CARD_SETTINGS, IDS_CARD_CONNECTION,       IDS_CARD_SCHEDULE,        IDS_CARD_BACKUP_PROGRESS,
      IDS_CARD_UPDATE_PROGRESS, IDS_CARD_IGNORED,   IDS_CARD_SYSINFO};
  return titles[card];
}

const char* CardName(TShellCard card) {
  static constexpr const char* names[QV_CARD_COUNT] = {
      "Overview", "ScanResults",    "Backup",         "Restore",        "Settings", "Connection",
      "Schedule", "BackupProgress", "UpdateProgress", "IgnoredDevices", "SysInfo"};
  return names[card];
}

TBalloonTexts MinimizeBalloon(bool scanMinimized) {
  if (scanMinimized) return {IDS_TRAY_RUNNING, IDS_TRAY_RUNNING_TEXT};
  return {IDS_TRAY_STILL_RUNNING, IDS_TRAY_STILL_RUNNING_TEXT};
}

TShellNavigation::TShellNavigation(bool withSchedule)
    : m_main{aclHome, aclResults, aclBackup, aclRestore, aclSettings},
      m_settings{aclBack, aclGeneral, aclConnection, aclIgnored, aclSysInfo} {
  if (withSchedule) m_settings.push_back(aclSchedule);
}

std::optional<TCardChange> TShellNavigation::ShowCard(TShellCard card) {
  if (card == m_card) return std::nullopt;
  TCardChange change{m_card, card};
  m_card = card;
  return change;
}

void TShellNavigation::Select(TShellAction action) {
  auto select = [action](const std::vector<TShellAction>& items, int& selected) {
    auto found = std::find(items.begin(), items.end(), action);
    if (found != items.end()) selected = static_cast<int>(found - items.begin());
  };
  select(m_mode == TNavigationMode::main ? m_main : m_settings,
         m_mode == TNavigationMode::main ? m_selectedMain : m_selectedSettings);
}

std::optional<TCardChange> TShellNavigation::Execute(TShellAction action) {
  switch (action) {
    case aclSettings:
      // Into the settings column, on its General item and page.
      m_mode = TNavigationMode::settings;
      m_selectedMain = 4;
      m_selectedSettings = 1;
      m_active = aclGeneral;
      return ShowCard(cardSettings);
    case aclBack:
      // Back to the main column; the settings page stays until another is chosen.
      m_mode = TNavigationMode::main;
      m_active = aclHome;
      return std::nullopt;
    case aclUpdateDriver:
      m_active = aclUpdateDriver;
      return std::nullopt;
    default:
      break;
  }
  static constexpr TShellCard cards[] = {
      cardOverview, cardScanResults, cardBackup,         cardRestore, cardSettings, cardOverview,
      cardSettings, cardConnection,  cardSchedule, cardIgnoredDevices, cardSysInfo};
  m_active = action;
  Select(action);
  return ShowCard(cards[action]);
}

std::optional<TCardChange> TShellNavigation::ExecuteItem(int index) {
  const auto& items = m_mode == TNavigationMode::main ? m_main : m_settings;
  if (index < 0 || index >= static_cast<int>(items.size())) return std::nullopt;
  return Execute(items[index]);
}
