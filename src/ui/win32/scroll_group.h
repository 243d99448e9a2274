// TScrollGroup: a vertically scrolling column of collapsible sections. Only
// the group scrolls: each section is as high as its rows. A wheel turn over
// anything inside moves the position by the wheel's delta in pixels.
#pragma once

#include <memory>
#include <vector>

#include "ui/win32/collapsible_section.h"
#include "ui/win32/window.h"

class TScrollGroup : public TWindow {
 public:
  inline static const wchar_t* const CLASS_NAME = L"QvScrollGroup";

  bool Create(HWND parent, int id, const TLayoutRect& rect);
  // A new section at the bottom of the column.
  TCollapsibleSection& AddSection(int id);
  int Position() const { return m_position; }
  void ScrollTo(int position);
  void ScrollBy(int delta) { ScrollTo(m_position + delta); }
  // Places the sections one under the other and sets the scroll range.
  void Relayout();

 protected:
  void OnSize(int width, int height) override;
  bool OnEraseBackground(HDC dc) override;
  bool OnUndecodedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  int ContentHeight() const;
  int ClientHeight() const;
  void UpdateScrollBar();

  std::vector<std::unique_ptr<TCollapsibleSection>> m_sections;
  int m_position = 0;
};
