// TImageButton: a small clickable picture (a row's check box, info and menu
// images, the rescan button) drawn on its parent's current background colour.
#pragma once

#include "ui/win32/controls.h"
#include "ui/win32/glyphs.h"

class TImageButton : public TOwnerDrawnButton {
 public:
  // `hotGlyph`: the picture while the pointer is over the button.
  explicit TImageButton(TPictureGlyph glyph) : m_glyph(glyph), m_hotGlyph(glyph) {}
  TImageButton(TPictureGlyph glyph, TPictureGlyph hotGlyph) : m_glyph(glyph), m_hotGlyph(hotGlyph) {}

  void SetGlyph(TPictureGlyph glyph);
  TPictureGlyph Glyph() const { return m_glyph; }
  void SetBackground(COLORREF color);

 protected:
  void Paint(HDC dc, const RECT& rect, bool enabled, bool pressed) override;
  void HoverChanged() override;

 private:
  TPictureGlyph m_glyph;
  TPictureGlyph m_hotGlyph;
  COLORREF m_background = QV_COLOR_WHITE;
};
