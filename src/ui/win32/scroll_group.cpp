#include "ui/win32/scroll_group.h"

#include <algorithm>

#include "ui/win32/gdi.h"

namespace {

constexpr int QV_SCROLL_LINE = 20;  // logical pixels per arrow click

}  // namespace

bool TScrollGroup::Create(HWND parent, int id, const TLayoutRect& rect) {
  TClassStyle classStyle;
  return TWindow::Create(CLASS_NAME, classStyle, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL,
                         WS_EX_CONTROLPARENT, L"", rect, parent, id);
}

TCollapsibleSection& TScrollGroup::AddSection(int id) {
  RECT client{};
  GetClientRect(Handle(), &client);
  auto section = std::make_unique<TCollapsibleSection>();
  section->Create(Handle(), id, client.right);
  section->OnHeightChange([this, header = section->HeaderHeight()](bool expanded) {
    Relayout();
    // Expanding moves the view down by a header so the first rows come into sight.
    if (expanded) ScrollBy(header);
  });
  m_sections.push_back(std::move(section));
  Relayout();
  return *m_sections.back();
}

int TScrollGroup::ContentHeight() const {
  int height = 0;
  for (const auto& section : m_sections) height += section->Height();
  return height;
}

int TScrollGroup::ClientHeight() const {
  RECT client{};
  GetClientRect(Handle(), &client);
  return client.bottom;
}

void TScrollGroup::Relayout() {
  m_position = std::clamp(m_position, 0, std::max(0, ContentHeight() - ClientHeight()));
  RECT client{};
  GetClientRect(Handle(), &client);
  int top = -m_position;
  for (const auto& section : m_sections) {
    PlaceWindow(section->Handle(), 0, top, client.right, section->Height());
    top += section->Height();
  }
  UpdateScrollBar();
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TScrollGroup::UpdateScrollBar() {
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMin = 0;
  info.nMax = std::max(0, ContentHeight() - 1);
  info.nPage = static_cast<UINT>(ClientHeight());
  info.nPos = m_position;
  SetScrollInfo(Handle(), SB_VERT, &info, TRUE);
}

void TScrollGroup::ScrollTo(int position) {
  const int clamped = std::clamp(position, 0, std::max(0, ContentHeight() - ClientHeight()));
  if (clamped == m_position) return;
  m_position = clamped;
  Relayout();
}

void TScrollGroup::OnSize(int width, int) {
  for (const auto& section : m_sections) {
    SetWindowPos(section->Handle(), nullptr, 0, 0, width, section->Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  Relayout();
}

bool TScrollGroup::OnEraseBackground(HDC dc) {
  RECT client{};
  GetClientRect(Handle(), &client);
  FillSolid(dc, client, QV_COLOR_WHITE);
  return true;
}

bool TScrollGroup::OnUndecodedMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
  if (message == WM_MOUSEWHEEL) {
    // One notch (120) moves the view by 120 pixels; turning away from the user goes up.
    ScrollBy(-static_cast<short>(HIWORD(wParam)));
    result = 0;
    return true;
  }
  if (message != WM_VSCROLL) return false;
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  GetScrollInfo(Handle(), SB_VERT, &info);
  switch (LOWORD(wParam)) {
    case SB_LINEUP: ScrollBy(-Scale(QV_SCROLL_LINE)); break;
    case SB_LINEDOWN: ScrollBy(Scale(QV_SCROLL_LINE)); break;
    case SB_PAGEUP: ScrollBy(-static_cast<int>(info.nPage)); break;
    case SB_PAGEDOWN: ScrollBy(static_cast<int>(info.nPage)); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: ScrollTo(info.nTrackPos); break;
    case SB_TOP: ScrollTo(0); break;
    case SB_BOTTOM: ScrollTo(ContentHeight()); break;
    default: break;
  }
  result = 0;
  return true;
}
