#include "app/overview_page.h"

#include "platform/win32/win32_text.h"

namespace {

constexpr COLORREF QV_COLOR_STATUS = HexColor(0x003366);

void SetLabel(HWND label, const std::string& text) { SetWindowTextW(label, Utf8ToWide(text).c_str()); }

}  // namespace

bool TOverviewPage::Create(HWND card, const TLayoutRect& rect) {
  if (!CreatePage(CLASS_NAME, card, rect, idOverviewPage)) {
    return false;
  }
  MakeFonts();
  m_ring.Create(Handle(), idOverviewRing, {0, 0, 1, 1});
  m_scanButton.Create(Handle(), idScanButton, "", {0, 0, Scale(150), Scale(75)});
  m_scanButton.SetFont(m_buttonFont.Get());
  m_lastScanLabel = CreateLabel(Handle(), idLastScanLabel, "", {0, 0, 1, 1}, m_textFont.Get());
  m_lastScanValue = CreateLabel(Handle(), idLastScanValue, "", {0, 0, 1, 1}, m_textFont.Get());
  m_statusTitle = CreateLabel(Handle(), idStatusTitle, "", {0, 0, 1, 1}, m_titleFont.Get(), SS_CENTER);
  m_statusText = CreateLabel(Handle(), idStatusText, "", {0, 0, 1, 1}, m_textFont.Get(), SS_CENTER);
  m_scanningLabel = CreateLabel(Handle(), idScanningLabel, "", {0, 0, 1, 1}, m_boldFont.Get(), SS_CENTER);
  ShowWindow(m_statusTitle, SW_HIDE);
  ShowWindow(m_scanningLabel, SW_HIDE);
  for (int i = 0; i < 4; ++i) {
    m_facts[2 * i] = CreateLabel(Handle(), idFirstFactLabel + 2 * i, "", {0, 0, 1, 1}, m_factFont.Get());
    m_facts[2 * i + 1] = CreateLabel(Handle(), idFirstFactLabel + 2 * i + 1, "", {0, 0, 1, 1}, m_factValueFont.Get());
  }
  Layout();
  return true;
}

void TOverviewPage::MakeFonts() {
  m_buttonFont = MakeFont(L"Segoe UI", Scale(21), true);
  m_titleFont = MakeFont(L"Segoe UI Semibold", Scale(16), true);
  m_textFont = MakeFont(L"Segoe UI", Scale(12));
  m_boldFont = MakeFont(L"Segoe UI Semibold", Scale(12), true);
  m_factFont = MakeFont(L"Segoe UI", Scale(12));
  m_factValueFont = MakeFont(L"Segoe UI Semibold", Scale(12), true);
}

RECT TOverviewPage::IndicatorRect() const {
  RECT client{};
  GetClientRect(Handle(), &client);
  const int size = Scale(110);
  const int left = (client.right - size) / 2;
  return RECT{left, Scale(10), left + size, Scale(10) + size};
}

void TOverviewPage::Layout() {
  RECT client{};
  GetClientRect(Handle(), &client);
  const int width = client.right;
  // From top to bottom, centred: indicator, scan button, last scan, status lines, scanning label.
  PlaceWindow(m_ring.Handle(), IndicatorRect());
  RECT button{};
  GetWindowRect(m_scanButton.Handle(), &button);
  const int buttonWidth = std::max(static_cast<int>(button.right - button.left), Scale(150));
  PlaceWindow(m_scanButton.Handle(), (width - buttonWidth) / 2, Scale(135), buttonWidth, Scale(75));
  PlaceWindow(m_statusTitle, Scale(20), Scale(250), width - Scale(40), Scale(26));
  PlaceWindow(m_statusText, Scale(20), Scale(278), width - Scale(40), Scale(20));
  PlaceWindow(m_scanningLabel, Scale(20), Scale(302), width - Scale(40), Scale(20));
  PlaceLastScan();
  // Lower left: the four facts.
  const int factTop = client.bottom - Scale(4 * 22 + 10);
  for (int i = 0; i < 4; ++i) {
    PlaceWindow(m_facts[2 * i], Scale(20), factTop + Scale(22 * i), Scale(120), Scale(20));
    PlaceWindow(m_facts[2 * i + 1], Scale(145), factTop + Scale(22 * i), width - Scale(165), Scale(20));
  }
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TOverviewPage::PlaceLastScan() {
  RECT client{};
  GetClientRect(Handle(), &client);
  const int labelWidth = LabelTextWidth(m_lastScanLabel) + Scale(4);
  const int valueWidth = LabelTextWidth(m_lastScanValue) + Scale(4);
  const int left = LastScanLeft(client.right, labelWidth, valueWidth);
  PlaceWindow(m_lastScanLabel, left, Scale(218), labelWidth, Scale(20));
  PlaceWindow(m_lastScanValue, left + labelWidth, Scale(218), valueWidth, Scale(20));
}

void TOverviewPage::Apply(const TOverviewState& state) {
  SetLabel(m_scanButton.Handle(), state.caption);
  FitControlWidth(m_scanButton.Handle(), Dpi());
  SetLabel(m_statusTitle, state.statusTitle);
  SetLabel(m_statusText, state.statusText);
  SetLabel(m_scanningLabel, state.scanningLabel);
  ShowWindow(m_statusTitle, state.statusTitle.empty() ? SW_HIDE : SW_SHOW);
  ShowWindow(m_scanningLabel, state.scanningLabelVisible ? SW_SHOW : SW_HIDE);
  m_ring.SetRunning(state.indicatorRunning);
  Layout();
}

void TOverviewPage::SetLastScan(const std::string& value) {
  SetLabel(m_lastScanValue, value);
  PlaceLastScan();
}

void TOverviewPage::SetLabels(const std::string& lastScan, const TSystemFacts& factNames) {
  SetLabel(m_lastScanLabel, lastScan);
  SetLabel(m_facts[0], factNames.manufacturer);
  SetLabel(m_facts[2], factNames.model);
  SetLabel(m_facts[4], factNames.processor);
  SetLabel(m_facts[6], factNames.windows);
  Layout();
}

void TOverviewPage::SetFacts(const TSystemFacts& facts) {
  SetLabel(m_facts[1], facts.manufacturer);
  SetLabel(m_facts[3], facts.model);
  SetLabel(m_facts[5], facts.processor);
  SetLabel(m_facts[7], facts.windows);
}

void TOverviewPage::OnSize(int, int) { Layout(); }

void TOverviewPage::OnCommand(int id, int code, HWND) {
  if (id == idScanButton && code == BN_CLICKED && m_onScan) m_onScan();
}

COLORREF TOverviewPage::TextColor(HWND control) const {
  return control == m_statusTitle ? QV_COLOR_STATUS : HexColor(0x202020);
}

void TOverviewPage::OnDpiChanged(int, const RECT*) {
  MakeFonts();
  m_scanButton.SetFont(m_buttonFont.Get());
  auto setFont = [](HWND control, const TFont& font) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
  };
  setFont(m_lastScanLabel, m_textFont);
  setFont(m_lastScanValue, m_textFont);
  setFont(m_statusTitle, m_titleFont);
  setFont(m_statusText, m_textFont);
  setFont(m_scanningLabel, m_boldFont);
  for (int i = 0; i < 8; ++i) setFont(m_facts[i], i % 2 ? m_factValueFont : m_factFont);
  Layout();
}
