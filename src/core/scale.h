// Logical pixels at a design resolution scaled to the screen's.
#pragma once

// AValue × screenPixelsPerInch ÷ APixelsPerInch, rounded half away from zero
// (MulDiv); -1 when APixelsPerInch is 0.
int ScaleToScreen(int AValue, int APixelsPerInch, int screenPixelsPerInch);
