// The device details window's content and arithmetic: what it shows for one device
// record (class, name, hardware id, problem text, the installed and the offered driver
// side by side, the button and the information text), the ids "Show All" lists, and the
// sizes of its driver grid: column widths, the rows a wrapped cell grows, the window's height.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "devices/device_properties.h"
#include "devices/problem_texts.h"
#include "platform/string_table.h"

// The grid: row 0 hidden, row 1 the header, rows 2 to 4 date, version, provider.
inline constexpr int DETAILS_GRID_ROWS = 5;
inline constexpr int DETAILS_GRID_COLUMNS = 3;
inline constexpr int DETAILS_ROW_HEIGHT = 35;
inline constexpr int DETAILS_LINE_WIDTH = 2;

struct TDeviceDetailsView {
  std::string caption;
  std::string classText, name, hid;
  int classImage = -1;  // -1: no icon
  bool statusShown = false;
  std::string statusText;
  std::array<std::array<std::string, DETAILS_GRID_COLUMNS>, DETAILS_GRID_ROWS> cells{};
  bool updateMode = false;  // the button updates the device (closes with "yes")
  std::string buttonCaption, buttonHint;
  bool infoShown = true;
  std::string infoText, infoHint;

  bool operator==(const TDeviceDetailsView&) const = default;
};

// UpdateDevice: the window's content for the record; outdated selects the update mode.
TDeviceDetailsView DeviceDetailsView(const TDeviceProperties& device, bool outdated, IStringTable& strings,
                                     const TProblemTexts& problems);
// menuShowAllClick's text: the hardware ids, then the compatible ids when there are any.
std::string ShowAllText(const TDeviceProperties& device, IStringTable& strings);

// The grid's row heights as it grows, and the sizes that follow from them.
class TDetailsGrid {
 public:
  explicit TDetailsGrid(int scaledRowHeight = DETAILS_ROW_HEIGHT, int lineWidth = DETAILS_LINE_WIDTH);

  // Column widths: 20 %, 40 %, 40 % of the width less one line per column, rounded.
  std::array<int, DETAILS_GRID_COLUMNS> ColumnWidths(int gridWidth) const;
  // A cell's wrapped text is textHeight high: a text taller than its row less 2 makes
  // the row textHeight + 5 high. Returns how much the grid (and the window) grew.
  int FitCell(int row, int textHeight);
  int RowHeight(int row) const { return m_rows.at(static_cast<size_t>(row)); }
  // The visible rows and their lines.
  int Height() const;

 private:
  std::array<int, DETAILS_GRID_ROWS> m_rows{};
  int m_line;
};

// The window's height once grown, capped at the work area's height.
int CappedWindowHeight(int height, int workAreaHeight);
