// TPage: a page's window, a white child that fills its card. The static texts
// on it are drawn on white, in the colour the page gives each.
#pragma once

#include "ui/win32/gdi.h"
#include "ui/win32/window.h"

class TPage : public TWindow {
 protected:
  bool CreatePage(const wchar_t* className, HWND card, const TLayoutRect& rect, int id);
  // A place given in logical pixels at 96 dpi, scaled to the page's.
  TLayoutRect At(int left, int top, int width, int height) const {
    return {Scale(left), Scale(top), Scale(left + width), Scale(top + height)};
  }
  HBRUSH OnControlColor(HDC dc, HWND control) override;
  // The colour of a static text of the page.
  virtual COLORREF TextColor(HWND) const { return RGB(0, 0, 0); }

 private:
  TBrush m_white;
};
