// The system-information grid's arithmetic: its height in the page, its two
// column widths, the row colours and where a cell's text sits. The window's
// grid draws with it; kept neutral so it is tested without a window.
#pragma once

struct TSysInfoColumns {
  int caption;
  int value;

  bool operator==(const TSysInfoColumns&) const = default;
};

// The grid reaches to 20 pixels above the page's bottom.
int SysInfoGridHeight(int pageHeight, int gridTop, int bottomMargin);
// 30 % and 67 % of the width left after one grid line per column, each rounded
// to the nearest pixel.
TSysInfoColumns SysInfoColumnWidths(int gridWidth, int gridLineWidth);
// Rows alternate white and light grey, the first white.
bool SysInfoRowIsGrey(int row);
// Vertically centred text: the cell's top plus half the spare height, the half
// rounded toward zero.
int CentredTextTop(int cellTop, int cellHeight, int textHeight);
