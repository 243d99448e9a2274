#include "ui/shell_navigation.h"

#include <algorithm>

#include "res/string_ids.h"

namespace {

std::vector<TShellAction> ColumnItems(TNavColumn column, bool withSchedule) {
  std::vector<TShellAction> items;
  for (const TNavigationItem& item : QV_NAVIGATION) {
    if (item.column == column && (withSchedule || !item.needsScheduler)) items.push_back(item.action);
  }
  return items;
}

int IndexOf(const std::vector<TShellAction>& items, TShellAction action) {
  auto found = std::find(items.begin(), items.end(), action);
  return found == items.end() ? -1 : static_cast<int>(found - items.begin());
}

}  // namespace

TActionTexts ActionTexts(TShellAction action) {
  const TNavigationItem& item = NavigationItem(action);
  return {item.caption, item.hint};
}

int CardTitleId(TShellCard card) { return CardFacts(card).title; }

const char* CardName(TShellCard card) { return CardFacts(card).name; }

TBalloonTexts MinimizeBalloon(bool scanMinimized) {
  if (scanMinimized) return {IDS_TRAY_RUNNING, IDS_TRAY_RUNNING_TEXT};
  return {IDS_TRAY_STILL_RUNNING, IDS_TRAY_STILL_RUNNING_TEXT};
}

TShellNavigation::TShellNavigation(bool withSchedule)
    : m_main(ColumnItems(TNavColumn::main, withSchedule)),
      m_settings(ColumnItems(TNavColumn::settings, withSchedule)) {}

std::optional<TCardChange> TShellNavigation::ShowCard(TShellCard card) {
  if (card == m_card) return std::nullopt;
  TCardChange change{m_card, card};
  m_card = card;
  return change;
}

void TShellNavigation::Select(TShellAction action) {
  const bool main = m_mode == TNavigationMode::main;
  const int index = IndexOf(main ? m_main : m_settings, action);
  if (index >= 0) (main ? m_selectedMain : m_selectedSettings) = index;
}

std::optional<TCardChange> TShellNavigation::Execute(TShellAction action) {
  switch (action) {
    case TShellAction::aclSettings:
      // Into the settings column, on its General item and page.
      m_mode = TNavigationMode::settings;
      m_selectedMain = IndexOf(m_main, TShellAction::aclSettings);
      m_selectedSettings = IndexOf(m_settings, TShellAction::aclGeneral);
      m_active = TShellAction::aclGeneral;
      return ShowCard(*NavigationItem(TShellAction::aclGeneral).card);
    case TShellAction::aclBack:
      // Back to the main column; the settings page stays until another is chosen.
      m_mode = TNavigationMode::main;
      m_active = TShellAction::aclHome;
      return std::nullopt;
    case TShellAction::aclUpdateDriver:
      m_active = TShellAction::aclUpdateDriver;
      return std::nullopt;
    default:
      break;
  }
  m_active = action;
  Select(action);
  const std::optional<TShellCard> card = NavigationItem(action).card;
  return card ? ShowCard(*card) : std::nullopt;
}

std::optional<TCardChange> TShellNavigation::ExecuteItem(int index) {
  const auto& items = m_mode == TNavigationMode::main ? m_main : m_settings;
  if (index < 0 || index >= static_cast<int>(items.size())) return std::nullopt;
  return Execute(items[index]);
}
