#include "ui/win32/page.h"

bool TPage::CreatePage(const wchar_t* className, HWND card, const TLayoutRect& rect, int id) {
  m_white.Reset(CreateSolidBrush(QV_COLOR_WHITE));
  TClassStyle classStyle;
  classStyle.background = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  return TWindow::Create(className, classStyle, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, L"",
                         rect, card, id);
}

HBRUSH TPage::OnControlColor(HDC dc, HWND control) {
  SetBkColor(dc, QV_COLOR_WHITE);
  SetTextColor(dc, TextColor(control));
  return m_white.Get();
}
