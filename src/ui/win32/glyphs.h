// Small line drawings used as the navigation items' images.
#pragma once

#include <windows.h>

#include "ui/nav_glyph.h"

// Draws the glyph inside `box` (a square) with lines of `color`.
void DrawNavGlyph(HDC dc, TNavGlyph glyph, const RECT& box, COLORREF color);

// The small pictures of the result rows and the results page.
enum class TPictureGlyph { checked, unchecked, info, menu, rescan, rescanHot, chevronUp, chevronDown };

// Draws the picture filling `box`; `color` is used by the chevrons only.
void DrawPictureGlyph(HDC dc, TPictureGlyph glyph, const RECT& box, COLORREF color = 0);
