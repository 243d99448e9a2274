// A vertical list of full-width navigation buttons (50 logical pixels high):
// a caption in white on the bar colour, hot and selected colours, and
// optionally one item drawn on a green inset rectangle (the settings list's Back).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/win32/controls.h"
#include "ui/win32/gdi.h"
#include "ui/win32/glyphs.h"
#include "ui/win32/window.h"

class TNavigationList : public TWindow {
 public:
  inline static const wchar_t* const CLASS_NAME = L"QvNavigationList";

  bool Create(HWND parent, int id, const TLayoutRect& rect, TToolTips* tips);
  struct TEntry {
    std::string caption;
    std::string hint;
    TNavGlyph glyph = TNavGlyph::none;
  };
  // Replaces the items; the selection is kept when it still exists.
  void SetItems(const std::vector<TEntry>& items);
  void SetSelected(int index);
  int Selected() const { return m_selected; }
  int Hot() const { return m_hot; }
  int Count() const { return static_cast<int>(m_items.size()); }
  // The item drawn on the green rectangle; -1 for none.
  void SetBackItem(int index) { m_backItem = index; }
  void OnItemClick(std::function<void(int)> handler) { m_onClick = std::move(handler); }

 protected:
  bool OnPaint(HDC dc) override;
  bool OnEraseBackground(HDC) override { return true; }
  void OnMouseMove(TMousePoint point) override;
  void OnMouseLeave() override;
  bool OnLeftButtonDown(TMousePoint point) override;
  bool OnLeftButtonUp(TMousePoint point) override;
  void OnDpiChanged(int, const RECT*) override;
  // WM_ENABLE: every item is drawn in the other ink.
  bool OnUndecodedMessage(UINT message, WPARAM, LPARAM, LRESULT&) override;

 private:
  int ItemAt(TMousePoint point) const;
  void UpdateTips();
  void SetHot(int index);

  struct TItem {
    std::wstring caption;
    std::string hint;
    TNavGlyph glyph;
  };
  std::vector<TItem> m_items;
  int m_selected = -1;
  int m_hot = -1;
  int m_pressed = -1;
  int m_backItem = -1;
  TFont m_font;
  TToolTips* m_tips = nullptr;
  std::function<void(int)> m_onClick;
};
