// TIgnoredPage: the ignored-devices card's contents. The title, the
// explanation, the report list with check boxes (device name and driver
// version) and the Include button. Its rows come from TIgnoredPresenter.
#pragma once

#include <functional>
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

struct TIgnoredPageTexts {
  std::string title, explanation, nameColumn, versionColumn, include, includeHint;
};

class TIgnoredPage : public TPage {
 public:
  inline static const wchar_t* const CLASS_NAME = L"QvIgnoredPage";

  // `checked(row, state)`: the user ticked or cleared a row; `include`: the button.
  bool Create(HWND card, const TLayoutRect& rect, HWND tipsOwner, std::function<void(size_t, bool)> checked,
              std::function<void()> include);
  void SetTexts(const TIgnoredPageTexts& texts);
  // Replaces the list's rows, all unchecked.
  void Fill(const std::vector<TIgnoredRow>& rows);
  void SetIncludeEnabled(bool enabled);
  HWND List() const { return m_list; }

 protected:
  bool OnNotify(const NMHDR& header) override;
  void OnCommand(int id, int code, HWND control) override;
  void OnSize(int width, int height) override;
  void OnDpiChanged(int, const RECT*) override;

 private:
  void MakeFonts();
  void Layout();

  HWND m_title = nullptr;
  HWND m_text = nullptr;
  HWND m_list = nullptr;
  TStyledButton m_include;
  TToolTips m_tips;
  TFont m_titleFont, m_textFont, m_buttonFont;
  std::function<void(size_t, bool)> m_checked;
  std::function<void()> m_onInclude;
  bool m_filling = false;
};
