// The program's colours and fonts, and small drawing helpers.
#pragma once

#include <windows.h>

#include "platform/win32/win32_handles.h"

// A colour written as #RRGGBB.
constexpr COLORREF HexColor(unsigned rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// The program's colours.
inline constexpr COLORREF QV_COLOR_BAR = HexColor(0x003366);
inline constexpr COLORREF QV_COLOR_HOT = HexColor(0x406FB5);
inline constexpr COLORREF QV_COLOR_SELECTED = HexColor(0x99B4D1);
inline constexpr COLORREF QV_COLOR_BACK = HexColor(0x008000);
inline constexpr COLORREF QV_COLOR_WHITE = HexColor(0xFFFFFF);

// A font by face name and height in device pixels (positive: the character height).
TFont MakeFont(const wchar_t* face, int pixelHeight, bool bold = false);

// Fills a rectangle with a solid colour.
void FillSolid(HDC dc, const RECT& rect, COLORREF color);
// The bitmap's size in its own pixels; zero when it cannot be read.
SIZE BitmapSize(HBITMAP bitmap);
// Draws the whole bitmap stretched into the rectangle, smoothed.
void DrawBitmapStretched(HDC dc, HBITMAP bitmap, const RECT& target);
