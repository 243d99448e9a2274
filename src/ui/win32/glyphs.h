// Small line drawings used as the navigation items' images.
#pragma once

#include <windows.h>

enum class TNavGlyph { none, home, list, backup, restore, settings, back, general, connection, ignored, sysinfo, schedule };

// Draws the glyph inside `box` (a square) with lines of `color`.
void DrawNavGlyph(HDC dc, TNavGlyph glyph, const RECT& box, COLORREF color);
