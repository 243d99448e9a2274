#include "ui/win32/card_panel.h"

#include "platform/win32/win32_text.h"
#include "ui/win32/controls.h"

bool TCard::Create(HWND parent, int id, const TLayoutRect& rect) {
  m_white.Reset(CreateSolidBrush(QV_COLOR_WHITE));
  TClassStyle classStyle;
  classStyle.background = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  if (!TWindow::Create(CLASS_NAME, classStyle, WS_CHILD | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, L"", rect, parent,
                       id)) {
    return false;
  }
  m_titleFont = MakeFont(L"Segoe UI", Scale(22));
  m_title = CreateLabel(Handle(), TITLE_ID, "", {0, 0, 1, 1}, m_titleFont.Get());
  LayoutTitle();
  return true;
}

void TCard::SetTitle(const std::string& title) {
  if (m_title) SetWindowTextW(m_title, Utf8ToWide(title).c_str());
}

void TCard::LayoutTitle() {
  if (!m_title) return;
  RECT client{};
  GetClientRect(Handle(), &client);
  PlaceWindow(m_title, Scale(20), Scale(15), client.right - Scale(40), Scale(34));
}

void TCard::OnSize(int, int) { LayoutTitle(); }

void TCard::OnDpiChanged(int, const RECT*) {
  m_titleFont = MakeFont(L"Segoe UI", Scale(22));
  if (m_title) SendMessageW(m_title, WM_SETFONT, reinterpret_cast<WPARAM>(m_titleFont.Get()), TRUE);
  LayoutTitle();
}

HBRUSH TCard::OnControlColor(HDC dc, HWND control) {
  SetBkColor(dc, QV_COLOR_WHITE);
  SetTextColor(dc, control == m_title ? QV_COLOR_BAR : HexColor(0x202020));
  return m_white.Get();
}

bool TCardPanel::Create(HWND parent, int id, const TLayoutRect& rect, int cardCount) {
  TClassStyle classStyle;
  classStyle.background = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  if (!TWindow::Create(CLASS_NAME, classStyle, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, L"",
                       rect, parent, id)) {
    return false;
  }
  const TLayoutRect inside{0, 0, rect.Width(), rect.Height()};
  for (int i = 0; i < cardCount; ++i) {
    auto card = std::make_unique<TCard>();
    if (!card->Create(Handle(), FIRST_CARD_ID + i, inside)) return false;
    m_cards.push_back(std::move(card));
  }
  return true;
}

void TCardPanel::ShowCard(int index) {
  if (index < 0 || index >= Count() || index == m_shown) return;
  m_cards[static_cast<size_t>(index)]->Show(true);
  if (m_shown >= 0) m_cards[static_cast<size_t>(m_shown)]->Show(false);
  m_shown = index;
}

void TCardPanel::OnSize(int width, int height) {
  for (auto& card : m_cards) card->Place({0, 0, width, height});
}
