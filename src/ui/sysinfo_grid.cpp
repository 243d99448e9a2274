#include "ui/sysinfo_grid.h"

#include <cmath>

int SysInfoGridHeight(int pageHeight, int gridTop, int bottomMargin) {
  const int height = pageHeight - gridTop - bottomMargin;
  return height > 0 ? height : 0;
}

TSysInfoColumns SysInfoColumnWidths(int gridWidth, int gridLineWidth) {
  const double width = gridWidth - 2 * gridLineWidth;
  return {static_cast<int>(std::lround(width * 0.3)), static_cast<int>(std::lround(width * 0.67))};
}

bool SysInfoRowIsGrey(int row) { return row % 2 == 1; }

int CentredTextTop(int cellTop, int cellHeight, int textHeight) { return cellTop + (cellHeight - textHeight) / 2; }
