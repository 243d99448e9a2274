#include "ui/win32/busy_ring.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "ui/win32/gdi.h"

namespace {

constexpr UINT_PTR QV_RING_TIMER = 1;
constexpr UINT QV_RING_INTERVAL_MS = 80;
constexpr int QV_RING_DOTS = 12;
constexpr int QV_RING_TAIL = 4;
// The ring's proportions, as drawn at its design size of 110 pixels.
constexpr double QV_RING_DESIGN_SIZE = 110.0;
constexpr double QV_RING_INSET = 8.0;
constexpr double QV_RING_DOT = 7.0;
constexpr COLORREF QV_COLOR_RING_IDLE = HexColor(0xD3D3D3);
constexpr COLORREF QV_COLOR_RING_LEAD = HexColor(0x1E6FD9);

// The tail fades from the leading colour toward the ring's grey.
COLORREF DotColor(int behind) {
  auto mix = [behind](int lead, int idle) { return lead + (idle - lead) * behind / QV_RING_TAIL; };
  return RGB(mix(GetRValue(QV_COLOR_RING_LEAD), GetRValue(QV_COLOR_RING_IDLE)),
             mix(GetGValue(QV_COLOR_RING_LEAD), GetGValue(QV_COLOR_RING_IDLE)),
             mix(GetBValue(QV_COLOR_RING_LEAD), GetBValue(QV_COLOR_RING_IDLE)));
}

}  // namespace

bool TBusyRing::Create(HWND parent, int id, const TLayoutRect& rect) {
  TClassStyle classStyle;
  classStyle.background = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  return TWindow::Create(L"QvBusyRing", classStyle, WS_CHILD | WS_VISIBLE, 0, L"", rect, parent, id);
}

void TBusyRing::SetRunning(bool running) {
  if (running == m_running) return;
  m_running = running;
  if (running) {
    SetTimer(Handle(), QV_RING_TIMER, QV_RING_INTERVAL_MS, nullptr);
  } else {
    KillTimer(Handle(), QV_RING_TIMER);
  }
  InvalidateRect(Handle(), nullptr, TRUE);
}

bool TBusyRing::OnPaint(HDC dc) {
  RECT client{};
  GetClientRect(Handle(), &client);
  const double size = std::min(client.right, client.bottom);
  const double scale = size / QV_RING_DESIGN_SIZE;
  const double cx = client.right / 2.0;
  const double cy = client.bottom / 2.0;
  const double radius = size / 2.0 - QV_RING_INSET * scale;
  const int dot = std::max(1, static_cast<int>(std::lround(QV_RING_DOT * scale)));
  TSelectObject selectPen(dc, GetStockObject(NULL_PEN));
  for (int i = 0; i < QV_RING_DOTS; ++i) {
    const double angle = 2 * std::numbers::pi * i / QV_RING_DOTS - std::numbers::pi / 2;
    const int behind = (m_step - i + QV_RING_DOTS) % QV_RING_DOTS;
    TBrush brush(CreateSolidBrush(m_running && behind < QV_RING_TAIL ? DotColor(behind) : QV_COLOR_RING_IDLE));
    TSelectObject selectBrush(dc, brush.Get());
    const int x = static_cast<int>(std::lround(cx + radius * std::cos(angle)));
    const int y = static_cast<int>(std::lround(cy + radius * std::sin(angle)));
    Ellipse(dc, x - dot, y - dot, x + dot, y + dot);
  }
  return true;
}

void TBusyRing::OnTimer(UINT_PTR id) {
  if (id != QV_RING_TIMER) return;
  m_step = (m_step + 1) % QV_RING_DOTS;
  InvalidateRect(Handle(), nullptr, TRUE);
}
