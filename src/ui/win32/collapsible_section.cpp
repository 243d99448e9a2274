#include "ui/win32/collapsible_section.h"

#include "platform/win32/win32_text.h"
#include "ui/win32/glyphs.h"

namespace {

constexpr COLORREF QV_HEADER_TOP = HexColor(0x87CEEB);  // sky blue
constexpr COLORREF QV_HEADER_BOTTOM = QV_COLOR_HOT;     // #406FB5
constexpr COLORREF QV_CHEVRON_HOT = HexColor(0xC0C0C0);  // silver

COLORREF Blend(COLORREF from, COLORREF to, int step, int steps) {
  auto mix = [&](int a, int b) { return a + (b - a) * step / steps; };
  return RGB(mix(GetRValue(from), GetRValue(to)), mix(GetGValue(from), GetGValue(to)),
             mix(GetBValue(from), GetBValue(to)));
}

}  // namespace

bool TSectionBody::Create(HWND section, const TLayoutRect& rect) {
  TClassStyle classStyle;
  return TWindow::Create(CLASS_NAME, classStyle, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, L"",
                         rect, section);
}

bool TSectionBody::OnEraseBackground(HDC dc) {
  RECT client{};
  GetClientRect(Handle(), &client);
  FillSolid(dc, client, QV_COLOR_WHITE);
  return true;
}

bool TCollapsibleSection::Create(HWND group, int id, int width) {
  TClassStyle classStyle;
  if (!TWindow::Create(CLASS_NAME, classStyle, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, L"",
                       {0, 0, width, 1}, group, id)) {
    return false;
  }
  m_font = MakeFont(L"Segoe UI Semibold", Scale(12), true);
  m_body.Create(Handle(), {0, HeaderHeight(), width, HeaderHeight()});
  SetWindowPos(Handle(), nullptr, 0, 0, width, Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

void TCollapsibleSection::SetCaption(const std::string& caption) {
  m_caption = caption;
  SetText(caption);  // also the window's text, for tools that read it
  InvalidateHeader();
}

void TCollapsibleSection::SetExpanded(bool expanded) {
  if (expanded == m_expanded) return;
  m_expanded = expanded;
  m_body.Show(expanded);
  RECT client{};
  GetClientRect(Handle(), &client);
  SetWindowPos(Handle(), nullptr, 0, 0, client.right, Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateHeader();
  if (m_onHeightChange) m_onHeightChange(expanded);
}

void TCollapsibleSection::SetBodyHeight(int height) {
  m_bodyHeight = height;
  RECT client{};
  GetClientRect(Handle(), &client);
  m_body.Place({0, HeaderHeight(), client.right, HeaderHeight() + height});
  SetWindowPos(Handle(), nullptr, 0, 0, client.right, Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (m_onHeightChange) m_onHeightChange(false);
}

void TCollapsibleSection::OnSize(int width, int) {
  m_body.Place({0, HeaderHeight(), width, HeaderHeight() + m_bodyHeight});
}

void TCollapsibleSection::OnDpiChanged(int, const RECT*) {
  m_font = MakeFont(L"Segoe UI Semibold", Scale(12), true);
  InvalidateRect(Handle(), nullptr, TRUE);
}

bool TCollapsibleSection::OnPaint(HDC dc) {
  RECT client{};
  GetClientRect(Handle(), &client);
  const int header = HeaderHeight();
  for (int y = 0; y < header; ++y) {
    FillSolid(dc, RECT{0, y, client.right, y + 1}, Blend(QV_HEADER_TOP, QV_HEADER_BOTTOM, y, header - 1));
  }
  RECT text{Scale(8), 0, client.right - header - Scale(4), header};
  TSelectObject font(dc, m_font.Get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, QV_COLOR_WHITE);
  const std::wstring caption = Utf8ToWide(m_caption);
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
  const int chevron = Scale(20);
  const int top = (header - chevron) / 2;
  RECT box{client.right - chevron - Scale(8), top, client.right - Scale(8), top + chevron};
  DrawPictureGlyph(dc, m_expanded ? TPictureGlyph::chevronUp : TPictureGlyph::chevronDown, box,
                   m_hot ? QV_CHEVRON_HOT : QV_COLOR_WHITE);
  return true;
}

void TCollapsibleSection::InvalidateHeader() {
  if (!Handle()) return;
  RECT header{};
  GetClientRect(Handle(), &header);
  header.bottom = HeaderHeight();
  InvalidateRect(Handle(), &header, FALSE);
}

void TCollapsibleSection::OnMouseMove(TMousePoint point) {
  const bool hot = InHeader(point);
  if (hot != m_hot) {
    m_hot = hot;
    InvalidateHeader();
  }
  if (hot) TrackMouseLeave();
}

void TCollapsibleSection::OnMouseLeave() {
  if (!m_hot) return;
  m_hot = false;
  InvalidateHeader();
}

bool TCollapsibleSection::OnLeftButtonDown(TMousePoint point) {
  if (!InHeader(point)) return false;
  SetExpanded(!m_expanded);
  return true;
}
