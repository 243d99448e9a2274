// The content area: one child panel ("card") per page, exactly one visible.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/win32/gdi.h"
#include "ui/win32/window.h"

// One page's panel: white, with the page title at its top.
class TCard : public TWindow {
 public:
  inline static const wchar_t* const CLASS_NAME = L"QvCard";
  static constexpr int TITLE_ID = 100;

  bool Create(HWND parent, int id, const TLayoutRect& rect);
  void SetTitle(const std::string& title);
  HWND TitleLabel() const { return m_title; }

 protected:
  HBRUSH OnControlColor(HDC dc, HWND control) override;
  void OnSize(int width, int height) override;
  void OnDpiChanged(int, const RECT*) override;

 private:
  void LayoutTitle();
  HWND m_title = nullptr;
  TFont m_titleFont;
  TBrush m_white;
};

class TCardPanel : public TWindow {
 public:
  inline static const wchar_t* const CLASS_NAME = L"QvCardPanel";
  // Control identifiers of the cards: FIRST_CARD_ID + the card's index.
  static constexpr int FIRST_CARD_ID = 1000;

  bool Create(HWND parent, int id, const TLayoutRect& rect, int cardCount);
  int Count() const { return static_cast<int>(m_cards.size()); }
  TCard& Card(int index) { return *m_cards.at(static_cast<size_t>(index)); }
  int Shown() const { return m_shown; }
  // Shows card `index` and hides the one shown before.
  void ShowCard(int index);

 protected:
  void OnSize(int width, int height) override;

 private:
  std::vector<std::unique_ptr<TCard>> m_cards;
  int m_shown = -1;
};
