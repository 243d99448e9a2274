#include "app/result_row.h"

#include <windowsx.h>

#include <algorithm>

#include "platform/win32/win32_text.h"
#include "ui/win32/dpi.h"

namespace {

constexpr COLORREF QV_ROW_HOT = HexColor(0xE3EEFA);
constexpr COLORREF QV_ROW_LINE = HexColor(0xD3D3D3);
constexpr COLORREF QV_NAVY = HexColor(0x000080);
constexpr COLORREF QV_MAROON = HexColor(0x800000);
constexpr COLORREF QV_GREY = HexColor(0x808080);
constexpr UINT_PTR QV_STATUS_TOOL = 1;

}  // namespace

RECT TResultPanel::At(int left, int top, int width, int height) const {
  return RECT{Scale(left), Scale(top), Scale(left + width), Scale(top + height)};
}

bool TResultPanel::Create(HWND box, int index, int width, const TResultRow& row) {
  m_row = row;
  m_sizeText = row.sizeText;
  TClassStyle classStyle;
  // The row's own DPI is known only once it exists: its place comes from the box's.
  const int height = ScaleLogical(ROW_HEIGHT, WindowDpi(box));
  if (!TWindow::Create(CLASS_NAME, classStyle, WS_CHILD | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, Utf8ToWide(row.name),
                       {0, height * index, width, height * (index + 1)}, box, row.tag)) {
    return false;
  }
  m_info.Create(Handle(), idRowInfo, "", {0, 0, 1, 1});
  PlaceWindow(m_info.Handle(), At(388, 14, 25, 25));
  m_menu.Create(Handle(), idRowMenu, "", {0, 0, 1, 1});
  PlaceWindow(m_menu.Handle(), At(550, 14, 15, 25));
  for (TImageButton* picture : {&m_info, &m_menu}) picture->SetHandCursor(true);
  m_tips.Set(m_info.Handle(), m_resources.texts.infoHint);
  m_tips.Set(m_menu.Handle(), m_resources.texts.menuHint);
  if (row.selectionShown) {
    m_select.Create(Handle(), idRowSelect, "", {0, 0, 1, 1});
    PlaceWindow(m_select.Handle(), At(20, 29, 17, 17));
    m_select.SetHandCursor(true);
    m_select.SetGlyph(row.selected ? TPictureGlyph::checked : TPictureGlyph::unchecked);
    m_tips.Set(m_select.Handle(), m_resources.texts.selectHint);
    m_update.Create(Handle(), idRowUpdate, m_resources.texts.updateCaption, {0, 0, 1, 1});
    PlaceWindow(m_update.Handle(), At(436, 11, 109, 25));
    m_update.SetFont(m_resources.button.Get());
    FitControlWidth(m_update.Handle(), QV_DESIGN_DPI);
    m_tips.Set(m_update.Handle(), m_resources.texts.updateHint);
  }
  if (row.statusShown) {
    // The problem line's hint covers the line as painted (up to 450 wide).
    const TClientDC dc(Handle());
    const int textWidth = std::min(TextWidth(dc.Get(), row.statusText, m_resources.status.Get()), Scale(450));
    const RECT line = At(95, 54, 0, 16);
    m_tips.SetPart(Handle(), QV_STATUS_TOOL, RECT{line.left, line.top, line.left + textWidth, line.bottom},
                   m_resources.texts.statusHint);
  }
  return true;
}

void TResultPanel::SetSelected(bool selected) {
  m_row.selected = selected;
  m_select.SetGlyph(selected ? TPictureGlyph::checked : TPictureGlyph::unchecked);
}

void TResultPanel::SetHot(bool hot) {
  if (hot == m_hot) return;
  m_hot = hot;
  const COLORREF back = hot ? QV_ROW_HOT : QV_COLOR_WHITE;
  for (TImageButton* picture : {&m_select, &m_info, &m_menu}) picture->SetBackground(back);
  InvalidateRect(Handle(), nullptr, FALSE);
}

int TResultPanel::TextWidth(HDC dc, const std::string& text, HFONT font) const {
  TSelectObject select(dc, font);
  const std::wstring wide = Utf8ToWide(text);
  SIZE size{};
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  return size.cx;
}

void TResultPanel::DrawText(HDC dc, const std::string& text, HFONT font, COLORREF color, RECT box, UINT format) const {
  TSelectObject select(dc, font);
  SetTextColor(dc, color);
  const std::wstring wide = Utf8ToWide(text);
  ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &box, format | DT_SINGLELINE | DT_NOPREFIX);
}

bool TResultPanel::OnPaint(HDC dc) {
  RECT client{};
  GetClientRect(Handle(), &client);
  FillSolid(dc, client, m_hot ? QV_ROW_HOT : QV_COLOR_WHITE);
  // The separating line: 2 pixels of light grey, 2 pixels above the bottom edge.
  FillSolid(dc, RECT{0, client.bottom - 4, client.right, client.bottom - 2}, QV_ROW_LINE);

  if (m_row.icon == TRowIcon::device && m_resources.deviceImages) {
    ImageList_DrawEx(m_resources.deviceImages, m_row.iconIndex, dc, Scale(43), Scale(20), Scale(48), Scale(48),
                     CLR_NONE, CLR_NONE, ILD_TRANSPARENT);
  } else if (m_row.icon == TRowIcon::deviceClass && m_resources.classImages) {
    ImageList_DrawEx(m_resources.classImages, m_row.iconIndex, dc, Scale(43), Scale(20), Scale(32), Scale(32),
                     CLR_NONE, CLR_NONE, ILD_TRANSPARENT);
  }

  SetBkMode(dc, TRANSPARENT);
  const int left = Scale(95);
  const int categoryWidth = std::min(TextWidth(dc, m_row.category, m_resources.category.Get()), Scale(275));
  DrawText(dc, m_row.category, m_resources.category.Get(), RGB(0, 0, 0),
           RECT{left, Scale(15), left + categoryWidth, Scale(37)}, DT_LEFT | DT_END_ELLIPSIS);
  DrawText(dc, m_row.name, m_resources.name.Get(), QV_NAVY, RECT{left, Scale(37), left + Scale(300), Scale(54)},
           DT_LEFT | DT_END_ELLIPSIS);
  if (m_row.statusShown) {
    DrawText(dc, m_row.statusText, m_resources.status.Get(), QV_MAROON,
             RECT{left, Scale(54), left + Scale(450), Scale(70)}, DT_LEFT | DT_END_ELLIPSIS);
  }
  if (m_row.selectionShown) {
    DrawText(dc, m_sizeText, m_resources.size.Get(), QV_GREY, At(436, 42, 109, 16), DT_CENTER);
  }
  return true;
}

void TResultPanel::OnCommand(int id, int code, HWND) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case idRowSelect:
    case idRowInfo:
    case idRowUpdate: m_events.RowClicked(*this, static_cast<TResultRowControlId>(id)); break;
    case idRowMenu: {
      POINT at{};
      GetCursorPos(&at);
      m_events.RowMenuRequested(*this, at);
      break;
    }
    default: break;
  }
}

void TResultPanel::OnMouseMove(TMousePoint) {
  if (!m_hot) m_events.RowEntered(*this);
  SetHot(true);
  TrackMouseLeave();
}

void TResultPanel::OnMouseLeave() { LeaveIfPointerOutside(); }

void TResultPanel::LeaveIfPointerOutside() {
  // Moving onto a control inside the row keeps the highlight.
  POINT pointer{};
  GetCursorPos(&pointer);
  ScreenToClient(Handle(), &pointer);
  RECT client{};
  GetClientRect(Handle(), &client);
  if (!PtInRect(&client, pointer)) SetHot(false);
}

bool TResultPanel::OnUserMessage(UINT message) {
  if (message != QV_CHILD_MOUSE_LEFT) return false;
  LeaveIfPointerOutside();
  return true;
}

bool TResultPanel::OnUndecodedMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
  if (message != WM_CONTEXTMENU) return false;
  // A right click anywhere on the row or its update button; from the keyboard
  // the menu opens at the row's top left.
  POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  if (at.x == -1 && at.y == -1) {
    at = POINT{0, 0};
    ClientToScreen(Handle(), &at);
  }
  m_events.RowMenuRequested(*this, at);
  result = 0;
  return true;
}
