#include "ui/shell_layout.h"

#include <algorithm>
#include <string>

#include "core/scale.h"

int ScaleLogical(int value, int dpi) { return ScaleToScreen(value, QV_DESIGN_DPI, dpi); }

TLayoutRect ScaleRect(const TLayoutRect& logical, int dpi) {
  return {ScaleLogical(logical.left, dpi), ScaleLogical(logical.top, dpi), ScaleLogical(logical.right, dpi),
          ScaleLogical(logical.bottom, dpi)};
}

namespace {

// The four top-bar buttons sit at the right end, vertically centred, 5 apart.
TLayoutRect TopButton(int indexFromRight) {
  constexpr int margin = 10;
  constexpr int gap = 5;
  const int right = QV_MAIN_WIDTH - margin - indexFromRight * (QV_TOP_BUTTON_SIZE + gap);
  const int top = (QV_TOP_BAR_HEIGHT - QV_TOP_BUTTON_SIZE) / 2;
  return {right - QV_TOP_BUTTON_SIZE, top, right, top + QV_TOP_BUTTON_SIZE};
}

}  // namespace

TShellLayout ComputeShellLayout(int dpi) {
  TShellLayout logical;
  logical.client = {0, 0, QV_MAIN_WIDTH, QV_MAIN_HEIGHT};
  logical.topBar = {0, 0, QV_MAIN_WIDTH, QV_TOP_BAR_HEIGHT};
  logical.logo = {10, 10, 10 + 281, 10 + 50};
  logical.exitButton = TopButton(0);
  logical.minimizeButton = TopButton(1);
  logical.aboutButton = TopButton(2);
  logical.helpButton = TopButton(3);
  logical.navigation = {0, QV_TOP_BAR_HEIGHT, QV_NAVIGATION_WIDTH, QV_MAIN_HEIGHT};
  logical.content = {QV_NAVIGATION_WIDTH, QV_TOP_BAR_HEIGHT, QV_MAIN_WIDTH, QV_MAIN_HEIGHT};
  TShellLayout scaled;
  scaled.client = ScaleRect(logical.client, dpi);
  scaled.topBar = ScaleRect(logical.topBar, dpi);
  scaled.logo = ScaleRect(logical.logo, dpi);
  scaled.helpButton = ScaleRect(logical.helpButton, dpi);
  scaled.aboutButton = ScaleRect(logical.aboutButton, dpi);
  scaled.minimizeButton = ScaleRect(logical.minimizeButton, dpi);
  scaled.exitButton = ScaleRect(logical.exitButton, dpi);
  scaled.navigation = ScaleRect(logical.navigation, dpi);
  scaled.content = ScaleRect(logical.content, dpi);
  return scaled;
}

TLayoutRect NavigationItemRect(int index, int listWidth, int dpi) {
  return {0, ScaleLogical(index * QV_NAVIGATION_ITEM_HEIGHT, dpi), listWidth,
          ScaleLogical((index + 1) * QV_NAVIGATION_ITEM_HEIGHT, dpi)};
}

int NavigationItemAt(int x, int y, int listWidth, int count, int dpi) {
  if (x < 0 || x >= listWidth || y < 0) return -1;
  for (int i = 0; i < count; ++i) {
    if (NavigationItemRect(i, listWidth, dpi).Contains(x, y)) return i;
  }
  return -1;
}

TLayoutRect CenteredRect(int width, int height, const TLayoutRect& area) {
  int left = area.left + (area.Width() - width) / 2;
  int top = area.top + (area.Height() - height) / 2;
  // A window larger than the area keeps its top-left corner (and so its
  // caption or top bar) on screen.
  left = std::max(left, area.left);
  top = std::max(top, area.top);
  return {left, top, left + width, top + height};
}

std::optional<int> ParseDpiOverride(const char* text) {
  if (text == nullptr || *text == '\0') return std::nullopt;
  std::string value(text);
  if (value.size() > 3) return std::nullopt;
  int dpi = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return std::nullopt;
    dpi = dpi * 10 + (c - '0');
  }
  if (dpi < 48 || dpi > 480) return std::nullopt;
  return dpi;
}
