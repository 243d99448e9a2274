#include "ui/device_details.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "res/string_ids.h"

namespace {

// The information sign that starts the information text; its hint goes without it.
constexpr const char* INFO_SIGN = "\xE2\x93\x98 ";

}  // namespace

TDeviceDetailsView DeviceDetailsView(const TDeviceProperties& device, bool outdated, IStringTable& strings,
                                     const TProblemTexts& problems) {
  TDeviceDetailsView view;
  view.caption = strings.Load(IDS_DETAILS_CAPTION);
  view.classText = device.strClassDescription;
  view.name = device.strName;
  view.hid = device.strHID;
  view.classImage = device.nClassImage;
  if (device.nStatusCode != 0) {
    view.statusShown = true;
    view.statusText = problems.Text(device.nStatusCode);
  }
  auto& cells = view.cells;
  cells[1] = {"", strings.Load(IDS_DETAILS_INSTALLED), strings.Load(IDS_DETAILS_AVAILABLE)};
  const std::string notAvailable = strings.Load(IDS_DETAILS_NOT_AVAILABLE);
  cells[2] = {strings.Load(IDS_DETAILS_DATE), device.strDriverDate, outdated ? device.strNewDriverDate : notAvailable};
  cells[3] = {strings.Load(IDS_DETAILS_VERSION), device.strVersion, outdated ? device.strNewVersion : notAvailable};
  cells[4] = {strings.Load(IDS_DETAILS_PROVIDER), device.strProvider, outdated ? device.strNewProvider : notAvailable};
  view.infoHint = strings.Load(IDS_DETAILS_INFO);
  view.infoText = INFO_SIGN + view.infoHint;
  view.infoShown = outdated;
  view.updateMode = outdated;
  view.buttonCaption = strings.Load(outdated ? IDS_UPDATE_DRIVER_CAPTION : IDS_DETAILS_CLOSE);
  if (outdated) view.buttonHint = strings.Load(IDS_UPDATE_DRIVER_HINT);
  return view;
}

std::string ShowAllText(const TDeviceProperties& device, IStringTable& strings) {
  std::string text = strings.Load(IDS_DETAILS_HARDWARE_IDS) + "\r\n";
  for (const std::string& id : device.strHIDs) text += id + "\r\n";
  if (!device.strCompatibleHIDs.empty()) {
    text += "\r\n" + strings.Load(IDS_DETAILS_COMPATIBLE_IDS) + "\r\n";
    for (const std::string& id : device.strCompatibleHIDs) text += id + "\r\n";
  }
  return text;
}

TDetailsGrid::TDetailsGrid(int scaledRowHeight, int lineWidth) : m_line(lineWidth) {
  m_rows.fill(scaledRowHeight);
  m_rows[0] = -1;  // hidden
}

std::array<int, DETAILS_GRID_COLUMNS> TDetailsGrid::ColumnWidths(int gridWidth) const {
  const double usable = std::max(gridWidth - DETAILS_GRID_COLUMNS * m_line, 0);
  return {static_cast<int>(std::lround(usable * 0.2)), static_cast<int>(std::lround(usable * 0.4)),
          static_cast<int>(std::lround(usable * 0.4))};
}

int TDetailsGrid::FitCell(int row, int textHeight) {
  int& height = m_rows.at(static_cast<size_t>(row));
  if (height < 0 || textHeight <= height - 2) return 0;
  const int grown = textHeight + 5 - height;
  height = textHeight + 5;
  return grown;
}

int TDetailsGrid::Height() const {
  int height = 0;
  for (int row : m_rows)
    if (row >= 0) height += row + m_line;
  return height;
}

int CappedWindowHeight(int height, int workAreaHeight) { return std::min(height, std::max(workAreaHeight, 0)); }
