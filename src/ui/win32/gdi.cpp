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
