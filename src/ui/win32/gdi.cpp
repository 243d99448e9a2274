#include "ui/win32/gdi.h"

TFont MakeFont(const wchar_t* face, int pixelHeight, bool bold) {
  LOGFONTW font{};
  font.lfHeight = -pixelHeight;
  font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = CLEARTYPE_QUALITY;
  lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
  return TFont(CreateFontIndirectW(&font));
}

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
  COLORREF old = SetBkColor(dc, color);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
  SetBkColor(dc, old);
}

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP info{};
  if (GetObjectW(bitmap, sizeof(info), &info) == 0) return SIZE{0, 0};
  return SIZE{info.bmWidth, info.bmHeight};
}

void DrawBitmapStretched(HDC dc, HBITMAP bitmap, const RECT& target) {
  const SIZE size = BitmapSize(bitmap);
  TMemoryDC source(CreateCompatibleDC(dc));
  if (!source) return;
  TSelectObject select(source.Get(), bitmap);
  SetStretchBltMode(dc, HALFTONE);
  StretchBlt(dc, target.left, target.top, target.right - target.left, target.bottom - target.top, source.Get(), 0, 0,
             size.cx, size.cy, SRCCOPY);
}
