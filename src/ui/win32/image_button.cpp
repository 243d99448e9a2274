#include "ui/win32/image_button.h"

void TImageButton::SetGlyph(TPictureGlyph glyph) {
  m_glyph = glyph;
  m_hotGlyph = glyph;
  if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

void TImageButton::SetBackground(COLORREF color) {
  if (color == m_background) return;
  m_background = color;
  if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

void TImageButton::HoverChanged() {
  if (m_hotGlyph != m_glyph && Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

void TImageButton::Paint(HDC dc, const RECT& rect, bool, bool) {
  FillSolid(dc, rect, m_background);
  DrawPictureGlyph(dc, Hot() ? m_hotGlyph : m_glyph, rect);
}
