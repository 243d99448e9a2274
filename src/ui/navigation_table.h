// The main window's navigation in two tables: one row per navigation item (its
// action, the card it shows, its caption and hint, its picture, the column
// that lists it) and one row per content card (its name and title). The
// navigation state, the window's lists and its cards read their facts here.
#pragma once

#include <cstddef>
#include <iterator>
#include <optional>

#include "res/string_ids.h"
#include "ui/nav_glyph.h"

// The content cards, in their fixed order.
enum TShellCard {
  cardOverview = 0,
  cardScanResults,
  cardBackup,
  cardRestore,
  cardSettings,
  cardConnection,
  cardSchedule,
  cardBackupProgress,
  cardUpdateProgress,
  cardIgnoredDevices,
  cardSysInfo,
};
inline constexpr int QV_CARD_COUNT = 11;

// The navigation actions, and aclUpdateDriver which the update pages set.
enum class TShellAction {
  aclHome,
  aclResults,
  aclBackup,
  aclRestore,
  aclSettings,
  aclBack,
  aclGeneral,
  aclConnection,
  aclSchedule,
  aclIgnored,
  aclSysInfo,
  aclUpdateDriver,
};
inline constexpr int QV_ACTION_COUNT = 12;

// The navigation list that shows an item; none for an action without an item.
enum class TNavColumn { main, settings, none };

struct TNavigationItem {
  TShellAction action;
  std::optional<TShellCard> card;  // none: the action changes the column only
  int caption;                     // string-table identifiers; 0: none
  int hint;
  TNavGlyph glyph;
  TNavColumn column;
  bool needsScheduler = false;  // listed only where there is a task scheduler
};

// In the order the lists show them.
inline constexpr TNavigationItem QV_NAVIGATION[] = {
    {TShellAction::aclHome, cardOverview, IDS_NAV_OVERVIEW, IDS_NAV_OVERVIEW_HINT, TNavGlyph::home, TNavColumn::main},
    {TShellAction::aclResults, cardScanResults, IDS_NAV_RESULTS, IDS_NAV_RESULTS_HINT, TNavGlyph::list,
     TNavColumn::main},
    {TShellAction::aclBackup, cardBackup, IDS_NAV_BACKUP, IDS_NAV_BACKUP_HINT, TNavGlyph::backup, TNavColumn::main},
    {TShellAction::aclRestore, cardRestore, IDS_NAV_RESTORE, IDS_NAV_RESTORE_HINT, TNavGlyph::restore,
     TNavColumn::main},
    // Opens the settings column on its first page (aclGeneral).
    {TShellAction::aclSettings, std::nullopt, IDS_NAV_SETTINGS, IDS_NAV_SETTINGS_HINT, TNavGlyph::settings,
     TNavColumn::main},
    // Back to the main column; the settings page stays until another is chosen.
    {TShellAction::aclBack, std::nullopt, IDS_NAV_BACK, 0, TNavGlyph::back, TNavColumn::settings},
    {TShellAction::aclGeneral, cardSettings, IDS_NAV_GENERAL, IDS_NAV_GENERAL_HINT, TNavGlyph::general,
     TNavColumn::settings},
    {TShellAction::aclConnection, cardConnection, IDS_NAV_CONNECTION, IDS_NAV_CONNECTION_HINT,
     TNavGlyph::connection, TNavColumn::settings},
    {TShellAction::aclIgnored, cardIgnoredDevices, IDS_NAV_IGNORED, IDS_NAV_IGNORED_HINT, TNavGlyph::ignored,
     TNavColumn::settings},
    {TShellAction::aclSysInfo, cardSysInfo, IDS_NAV_SYSINFO, IDS_NAV_SYSINFO_HINT, TNavGlyph::sysinfo,
     TNavColumn::settings},
    {TShellAction::aclSchedule, cardSchedule, IDS_NAV_SCHEDULE, IDS_NAV_SCHEDULE_HINT, TNavGlyph::schedule,
     TNavColumn::settings, true},
    {TShellAction::aclUpdateDriver, std::nullopt, 0, 0, TNavGlyph::none, TNavColumn::none},
};

struct TCardFacts {
  TShellCard card;
  const char* name;  // as the window's parts are called
  int title;
};

inline constexpr TCardFacts QV_CARDS[] = {
    {cardOverview, "Overview", IDS_CARD_OVERVIEW},
    {cardScanResults, "ScanResults", IDS_CARD_SCAN_RESULTS},
    {cardBackup, "Backup", IDS_CARD_BACKUP},
    {cardRestore, "Restore", IDS_CARD_RESTORE},
    {cardSettings, "Settings", IDS_CARD_SETTINGS},
    {cardConnection, "Connection", IDS_CARD_CONNECTION},
    {cardSchedule, "Schedule", IDS_CARD_SCHEDULE},
    {cardBackupProgress, "BackupProgress", IDS_CARD_BACKUP_PROGRESS},
    {cardUpdateProgress, "UpdateProgress", IDS_CARD_UPDATE_PROGRESS},
    {cardIgnoredDevices, "IgnoredDevices", IDS_CARD_IGNORED},
    {cardSysInfo, "SysInfo", IDS_CARD_SYSINFO},
};

constexpr const TNavigationItem* FindNavigationItem(TShellAction action) {
  for (const TNavigationItem& item : QV_NAVIGATION) {
    if (item.action == action) return &item;
  }
  return nullptr;
}

constexpr const TCardFacts* FindCard(TShellCard card) {
  for (const TCardFacts& facts : QV_CARDS) {
    if (facts.card == card) return &facts;
  }
  return nullptr;
}

namespace navigation_table_checks {

constexpr bool EveryActionHasOneRow() {
  for (int action = 0; action < QV_ACTION_COUNT; ++action) {
    int rows = 0;
    for (const TNavigationItem& item : QV_NAVIGATION) rows += static_cast<int>(item.action) == action;
    if (rows != 1) return false;
  }
  return std::size(QV_NAVIGATION) == QV_ACTION_COUNT;
}

// Each card is shown by one item at most, so a card change names its item.
constexpr bool ItemCardsAreDistinct() {
  for (const TNavigationItem& a : QV_NAVIGATION) {
    for (const TNavigationItem& b : QV_NAVIGATION) {
      if (&a != &b && a.card && a.card == b.card) return false;
    }
  }
  return true;
}

constexpr bool EveryCardHasOneRow() {
  for (int card = 0; card < QV_CARD_COUNT; ++card) {
    int rows = 0;
    for (const TCardFacts& facts : QV_CARDS) rows += facts.card == card;
    if (rows != 1) return false;
  }
  return std::size(QV_CARDS) == QV_CARD_COUNT;
}

}  // namespace navigation_table_checks

static_assert(navigation_table_checks::EveryActionHasOneRow());
static_assert(navigation_table_checks::ItemCardsAreDistinct());
static_assert(navigation_table_checks::EveryCardHasOneRow());

// The row of an action, of a card (every one has its row, checked above).
constexpr const TNavigationItem& NavigationItem(TShellAction action) { return *FindNavigationItem(action); }
constexpr const TCardFacts& CardFacts(TShellCard card) { return *FindCard(card); }
