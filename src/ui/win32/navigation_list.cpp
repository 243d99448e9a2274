#include "ui/win32/navigation_list.h"

#include "platform/win32/win32_text.h"

bool TNavigationList::Create(HWND parent, int id, const TLayoutRect& rect, TToolTips* tips) {
  m_tips = tips;
  TClassStyle classStyle;
  classStyle.cursor = LoadCursorW(nullptr, IDC_HAND);
  if (!TWindow::Create(CLASS_NAME, classStyle, WS_CHILD | WS_VISIBLE, 0, L"", rect, parent, id)) return false;
  m_font = MakeFont(L"Segoe UI", Scale(16));
  return true;
}

void TNavigationList::SetItems(const std::vector<TEntry>& items) {
  m_items.clear();
  for (const auto& item : items) m_items.push_back({Utf8ToWide(item.caption), item.hint, item.glyph});
  if (m_selected >= Count()) m_selected = -1;
  m_hot = -1;
  UpdateTips();
  if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

void TNavigationList::SetSelected(int index) {
  m_selected = index >= 0 && index < Count() ? index : -1;
  if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

void TNavigationList::UpdateTips() {
  if (!m_tips || !Handle()) return;
  RECT client{};
  GetClientRect(Handle(), &client);
  // Room for more parts than a list ever has, so removed items lose their hints.
  for (int i = 0; i < 16; ++i) {
    if (i < Count()) {
      TLayoutRect r = NavigationItemRect(i, client.right, Dpi());
      m_tips->SetPart(Handle(), static_cast<UINT_PTR>(i) + 1, RECT{r.left, r.top, r.right, r.bottom}, m_items[i].hint);
    } else {
      m_tips->RemovePart(Handle(), static_cast<UINT_PTR>(i) + 1);
    }
  }
}

int TNavigationList::ItemAt(TMousePoint point) const {
  RECT client{};
  GetClientRect(Handle(), &client);
  return NavigationItemAt(point.x, point.y, client.right, Count(), Dpi());
}

void TNavigationList::SetHot(int index) {
  if (index == m_hot) return;
  m_hot = index;
  InvalidateRect(Handle(), nullptr, FALSE);
}

void TNavigationList::OnMouseMove(TMousePoint point) {
  TrackMouseLeave();
  SetHot(ItemAt(point));
}

void TNavigationList::OnMouseLeave() { SetHot(-1); }

bool TNavigationList::OnLeftButtonDown(TMousePoint point) {
  m_pressed = ItemAt(point);
  return true;
}

bool TNavigationList::OnLeftButtonUp(TMousePoint point) {
  const int item = ItemAt(point);
  const bool click = item >= 0 && item == m_pressed;
  m_pressed = -1;
  if (click && IsWindowEnabled(Handle()) && m_onClick) m_onClick(item);
  return true;
}

void TNavigationList::OnDpiChanged(int, const RECT*) {
  m_font = MakeFont(L"Segoe UI", Scale(16));
  UpdateTips();
  InvalidateRect(Handle(), nullptr, FALSE);
}

bool TNavigationList::OnUndecodedMessage(UINT message, WPARAM, LPARAM, LRESULT&) {
  if (message == WM_ENABLE) InvalidateRect(Handle(), nullptr, FALSE);
  return false;
}

bool TNavigationList::OnPaint(HDC dc) {
  RECT client{};
  GetClientRect(Handle(), &client);
  FillSolid(dc, client, QV_COLOR_BAR);
  TSelectObject font(dc, m_font.Get());
  SetBkMode(dc, TRANSPARENT);
  const bool enabled = IsWindowEnabled(Handle()) != FALSE;
  for (int i = 0; i < Count(); ++i) {
    TLayoutRect r = NavigationItemRect(i, client.right, Dpi());
    RECT item{r.left, r.top, r.right, r.bottom};
    if (i == m_selected) {
      FillSolid(dc, item, QV_COLOR_SELECTED);
    } else if (i == m_hot && enabled) {
      FillSolid(dc, item, QV_COLOR_HOT);
    }
    if (i == m_backItem) {
      RECT inset = item;
      InflateRect(&inset, -2, -2);
      FillSolid(dc, inset, QV_COLOR_BACK);
    }
    // The item's image, 20 × 20, in front of the caption.
    const COLORREF ink = enabled ? (i == m_selected ? QV_COLOR_BAR : QV_COLOR_WHITE) : HexColor(0x8FA3B8);
    const int image = Scale(20);
    const int left = r.left + Scale(16);
    const int top = (r.top + r.bottom - image) / 2;
    DrawNavGlyph(dc, m_items[i].glyph, RECT{left, top, left + image, top + image}, ink);
    RECT text{left + image + Scale(8), r.top, r.right - Scale(8), r.bottom};
    SetTextColor(dc, ink);
    DrawTextW(dc, m_items[i].caption.c_str(), static_cast<int>(m_items[i].caption.size()), &text,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
  }
  return true;
}
