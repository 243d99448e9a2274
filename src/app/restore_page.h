// TRestorePage: the restore card's contents. The title and explanation, the
// restore path with its Change button, the list of backup folders (a right
// click selects the line under the pointer, then asks for the menu), the two
// reboot choices and the Restore button. It shows TRestorePresenter's view and
// reports the user's actions to its owner.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>

#include "ui/restore_presenter.h"
#include "ui/win32/controls.h"
#include "ui/win32/page.h"

// Control identifiers of the page, also used by the window tests.
enum TRestoreControlId : int {
  idRestorePage = 320,
  idRestoreTitle = 321,
  idRestoreInfo = 322,
  idRestoreSrcLabel = 323,
  idRestorePathEdit = 324,
  idChangeRestorePath = 325,
  idRestoreList = 326,
  idPromptReboot = 327,
  idAutoReboot = 328,
  idRestoreButton = 329,
};

struct TRestorePageEvents {
  std::function<void(int line)> selected;              // -1: none
  std::function<void(int line, POINT screen)> menu;    // the list's menu at a point of the screen
  std::function<void(bool automatic)> rebootChoice;
  std::function<void()> changePath;
  std::function<void()> restore;
};

class TRestorePage : public TPage {
 public:
  inline static const wchar_t* const CLASS_NAME = L"QvRestorePage";

  bool Create(HWND card, const TLayoutRect& rect, HWND tipsOwner, TRestorePageEvents events);
  // Shows the view; the list's lines are replaced only for a new fill.
  void Apply(const TRestoreView& view);

 protected:
  bool OnNotify(const NMHDR& header) override;
  void OnCommand(int id, int code, HWND control) override;
  void OnSize(int width, int height) override;
  void OnDpiChanged(int, const RECT*) override;

 private:
  void MakeFonts();
  void Layout();
  void Fill(const std::vector<std::string>& lines);
  void SelectLine(int line);

  HWND m_title = nullptr;
  HWND m_info = nullptr;
  HWND m_srcLabel = nullptr;
  HWND m_path = nullptr;
  HWND m_list = nullptr;
  HWND m_prompt = nullptr;
  HWND m_auto = nullptr;
  TStyledButton m_change;
  TStyledButton m_restore;
  TToolTips m_tips;
  TFont m_titleFont, m_textFont, m_buttonFont;
  TRestorePageEvents m_events;
  bool m_applying = false;
  std::optional<TRestoreView> m_shown;
};
