// The main window's page state: the two navigation lists, the action in use
// and the card on screen. Neutral, so the switching rules are tested natively;
// the window applies what it reports.
#pragma once

#include <optional>
#include <vector>

#include "ui/navigation_table.h"

enum class TNavigationMode { main, settings };

// A navigation action's texts as string-table identifiers (0: none).
struct TActionTexts {
  int caption;
  int hint;
};
TActionTexts ActionTexts(TShellAction action);
// The title shown on a card.
int CardTitleId(TShellCard card);
// The card's name, as the window's parts are called.
const char* CardName(TShellCard card);

// The notification-area balloon shown on minimising: "%s is running" while the
// program runs the scan it was started for, else "%s is still running".
struct TBalloonTexts {
  int title;
  int text;
};
TBalloonTexts MinimizeBalloon(bool scanMinimized);

// A card change: the card that was shown and the one now shown.
struct TCardChange {
  TShellCard previous;
  TShellCard next;
};

class TShellNavigation {
 public:
  // withSchedule: the system has a task scheduler (Vista and later), so the
  // settings list ends with Schedule. The lists hold the table's items of each column.
  explicit TShellNavigation(bool withSchedule);

  const std::vector<TShellAction>& MainItems() const { return m_main; }
  const std::vector<TShellAction>& SettingsItems() const { return m_settings; }
  TNavigationMode Mode() const { return m_mode; }
  TShellAction ActiveAction() const { return m_active; }
  TShellCard Card() const { return m_card; }
  int SelectedMainItem() const { return m_selectedMain; }
  int SelectedSettingsItem() const { return m_selectedSettings; }

  // Runs a navigation action; reports the card change when the shown card changed.
  std::optional<TCardChange> Execute(TShellAction action);
  // Runs the action of an item of the visible list (a click); nothing for an index out of range.
  std::optional<TCardChange> ExecuteItem(int index);
  // Shows a card without a navigation action (the update and backup runs).
  std::optional<TCardChange> ShowCard(TShellCard card);
  void SetActiveAction(TShellAction action) { m_active = action; }

 private:
  void Select(TShellAction action);

  std::vector<TShellAction> m_main;
  std::vector<TShellAction> m_settings;
  TNavigationMode m_mode = TNavigationMode::main;
  TShellAction m_active = TShellAction::aclHome;
  TShellCard m_card = cardOverview;
  int m_selectedMain = 0;
  int m_selectedSettings = -1;
};
