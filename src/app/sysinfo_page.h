// TSysInfoPage: the system-information card's contents: its title and the
// two-column grid of captions and values, drawn row by row by the page. It
// shows the view the presenter makes; the grid is filled once.
#pragma once

#include <optional>

#include "platform/win32/win32_handles.h"
#include "ui/sysinfo_presenter.h"
#include "ui/win32/page.h"

// Control identifiers of the page, also used by the window tests.
enum TSysInfoControlId : int {
  idSysInfoPage = 200,
  idSysInfoTitle = 201,
  idSysInfoGrid = 202,
};

class TSysInfoPage : public TPage {
 public:
  inline static const wchar_t* const CLASS_NAME = L"QvSysInfoPage";

  bool Create(HWND card, const TLayoutRect& rect);
  // Shows the title; the first view's rows fill the grid, later views keep them.
  void Apply(const TSysInfoView& view);
  void FocusGrid() const;

 protected:
  bool OnDrawItem(const DRAWITEMSTRUCT& item) override;
  void OnDpiChanged(int, const RECT*) override;

 private:
  void MakeFonts();
  void Layout();
  void SetRowHeight();
  void FitColumns();
  void Fill(const std::vector<TSysInfoRow>& rows);

  HWND m_title = nullptr;
  HWND m_grid = nullptr;
  TFont m_titleFont, m_textFont, m_boldFont;
  // Its height sets the grid's row height.
  TImageList m_rowHeight;
  std::optional<TSysInfoView> m_shown;
};
