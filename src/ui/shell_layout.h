// Layout arithmetic of the main window and its small windows: logical pixels at
// 96 dpi turned into device pixels at a window's own DPI. The Win32 side only
// applies these rectangles.
#pragma once

#include <optional>

// A rectangle by its edges, right and bottom exclusive (as RECT).
struct TLayoutRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool operator==(const TLayoutRect&) const = default;
};

inline constexpr int QV_DESIGN_DPI = 96;

// Logical sizes of the main window at 96 dpi.
inline constexpr int QV_MAIN_WIDTH = 800;
inline constexpr int QV_MAIN_HEIGHT = 600;
inline constexpr int QV_TOP_BAR_HEIGHT = 75;
inline constexpr int QV_NAVIGATION_WIDTH = 200;
inline constexpr int QV_NAVIGATION_ITEM_HEIGHT = 50;
inline constexpr int QV_TOP_BUTTON_SIZE = 30;

// A logical length at `dpi`, rounded half away from zero.
int ScaleLogical(int value, int dpi);
// Scales each edge, so rectangles that touch at 96 dpi still touch.
TLayoutRect ScaleRect(const TLayoutRect& logical, int dpi);

// The main window's parts in client coordinates at `dpi`.
struct TShellLayout {
  TLayoutRect client;
  TLayoutRect topBar;
  TLayoutRect logo;
  TLayoutRect helpButton;
  TLayoutRect aboutButton;
  TLayoutRect minimizeButton;
  TLayoutRect exitButton;
  TLayoutRect navigation;  // the navigation column under the top bar
  TLayoutRect content;     // the card area: the rest of the window
};
TShellLayout ComputeShellLayout(int dpi);

// Item `index` of a navigation list, in the list's own coordinates.
TLayoutRect NavigationItemRect(int index, int listWidth, int dpi);
// The item under the point of a list with `count` items; -1 for none.
int NavigationItemAt(int x, int y, int listWidth, int count, int dpi);

// A window of `width` × `height` centred in `area` (kept inside it where it fits).
TLayoutRect CenteredRect(int width, int height, const TLayoutRect& area);

// The value of QUORVANE_DPI: a whole number from 48 to 480; nothing otherwise,
// so a mistyped value leaves the system's DPI in force.
std::optional<int> ParseDpiOverride(const char* text);
