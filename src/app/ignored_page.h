// TIgnoredPage: the ignored-devices card's contents. The title, the
// explanation, the report list with check boxes (device name and driver
// version) and the Include button. It shows the view TIgnoredPresenter makes
// (Apply) and reports the user's ticks and Include to its owner.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/ignored_presenter.h"
#include "ui/win32/controls.h"
#include "ui/win32/page.h"
#include "ui/win32/window.h"

// Control identifiers of the page, also used by the window tests.
enum TIgnoredControlId : int {
  idIgnoredPage = 190,
  idIgnoredTitle = 191,
  idIgnoredText = 192,
  idIgnoreList = 193,
  idIncludeButton = 194,
};

class TIgnoredPage : public TPage {
 public:
  inline static const wchar_t* const CLASS_NAME = L"QvIgnoredPage";

  // `checked(row, state)`: the user ticked or cleared a row; `include`: the button.
  bool Create(HWND card, const TLayoutRect& rect, HWND tipsOwner, std::function<void(size_t, bool)> checked,
              std::function<void()> include);
  // Shows the view; only what differs from the view shown before is touched,
  // and the list's rows are replaced only for a new fill.
  void Apply(const TIgnoredView& view);

 protected:
  bool OnNotify(const NMHDR& header) override;
  void OnCommand(int id, int code, HWND control) override;
  void OnSize(int width, int height) override;
  void OnDpiChanged(int, const RECT*) override;

 private:
  void MakeFonts();
  void Layout();
  // Replaces the list's rows, all unchecked.
  void Fill(const std::vector<TIgnoredRow>& rows);

  HWND m_title = nullptr;
  HWND m_text = nullptr;
  HWND m_list = nullptr;
  TStyledButton m_include;
  TToolTips m_tips;
  TFont m_titleFont, m_textFont, m_buttonFont;
  std::function<void(size_t, bool)> m_checked;
  std::function<void()> m_onInclude;
  bool m_filling = false;
  std::optional<TIgnoredView> m_shown;
};
