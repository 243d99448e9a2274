#include "ui/results_presenter.h"

#include <algorithm>

#include "core/size_format.h"
#include "res/string_ids.h"

namespace {

constexpr int COUNT_TEXT_GAP = 5;

}  // namespace

TCountTextFit FitCountText(int textLeft, int textWidth, int rescanLeft) {
  const int limit = rescanLeft - COUNT_TEXT_GAP;
  if (textLeft + textWidth < limit) return {};
  return {false, std::max(0, limit - textLeft), true};
}

std::string AvailableDriversText(IStringTable& strings, int count) {
  // Only the "%d" of the table's text is filled in; a translation cannot
  // smuggle other conversions into the formatting.
  std::string text = strings.Load(IDS_AVAILABLE_DRIVERS_FORMAT);
  const auto at = text.find("%d");
  if (at != std::string::npos) text.replace(at, 2, std::to_string(count));
  return text;
}

int UpdateAllHintId(bool enabled) { return enabled ? IDS_UPDATE_ALL_ENABLED_HINT : IDS_UPDATE_ALL_DISABLED_HINT; }

std::string FormatWithName(const std::string& format, const std::string& name) {
  std::string text = format;
  const auto at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, name);
  return text;
}

std::vector<TMenuEntry> DeviceMenuEntries(IStringTable& strings, bool outdatedRow, bool downloadAvailable,
                                          bool vistaAndAbove) {
  // Before Vista a disabled entry is hidden instead.
  const bool downloadVisible = downloadAvailable || vistaAndAbove;
  return {
      {strings.Load(IDS_MENU_DETAILS_CAPTION), true, true},
      {strings.Load(IDS_MENU_DELETE_CAPTION), downloadAvailable, downloadVisible},
      {strings.Load(IDS_MENU_OPEN_CAPTION), downloadAvailable, downloadVisible},
      {strings.Load(IDS_MENU_IGNORE_CAPTION), outdatedRow, outdatedRow || vistaAndAbove},
      {strings.Load(IDS_MENU_UNINSTALL_CAPTION), true, true},
  };
}

void SortByClassDescription(TDriverMap& devices, ILocale& locale) {
  std::stable_sort(devices.begin(), devices.end(), [&](const TDeviceProperties* a, const TDeviceProperties* b) {
    return locale.CompareText(a->strClassDescription, b->strClassDescription) < 0;
  });
}

std::vector<TResultRow> TResultsPresenter::BuildRows(TDriverMap devices, bool outdated,
                                                     const TRowImages& images) const {
  SortByClassDescription(devices, m_locale);
  std::vector<TResultRow> rows;
  rows.reserve(devices.size());
  for (size_t i = 0; i < devices.size(); ++i) {
    TDeviceProperties& device = *devices[i];
    TResultRow row;
    row.device = &device;
    row.tag = static_cast<int>(i) + (outdated ? 0 : UPTODATE_TAG_BASE);
    if (images.vistaAndAbove && !images.deviceImagesEmpty) {
      row.icon = TRowIcon::device;
      row.iconIndex = device.nLargeImage;
    } else if (device.nClassImage != -1) {
      row.icon = TRowIcon::deviceClass;
      row.iconIndex = device.nClassImage;
    }
    row.category = device.strClassDescription;
    row.name = device.strName;
    row.statusShown = device.nStatusCode != 0;
    if (row.statusShown) row.statusText = m_problems.Text(device.nStatusCode);
    row.selectionShown = outdated;
    if (outdated) {
      row.selected = device.bSelected;
      row.driverSize = device.strDriverSize;
      try {
        row.sizeText = FormatKilobyteSize(device.strDriverSize, m_locale.DecimalSeparator());
      } catch (const std::exception&) {
        // A size the server sent as no number shows no size line rather than failing the list.
      }
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

void TResultsPresenter::SetCount(int count) {
  m_outdatedCount = count;
  m_countText = AvailableDriversText(m_strings, count);
}

void TResultsPresenter::RefreshResults(const TRowImages& images) {
  TDriverMap outdated;
  m_model.GetDriverMap(outdated, DRIVER_TYPE_OUTDATED);
  std::erase_if(outdated, [](const TDeviceProperties* d) { return d->bInstalled || d->bUninstalled; });
  SetCount(static_cast<int>(outdated.size()));
  m_outdated = BuildRows(std::move(outdated), true, images);
  m_refreshResults = false;

  TDriverMap upToDate;
  m_model.GetDriverMap(upToDate, DRIVER_TYPE_UPTODATE);
  std::erase_if(upToDate, [](const TDeviceProperties* d) { return d->bUninstalled; });
  m_upToDate = BuildRows(std::move(upToDate), false, images);
  m_scanResultAvailable = true;
}

void TResultsPresenter::RefreshOutdatedList(const TRowImages& images) {
  TDriverMap outdated;
  m_model.GetDriverMap(outdated, DRIVER_TYPE_OUTDATED);
  m_outdated = BuildRows(std::move(outdated), true, images);
  SetCount(m_model.GetOutofDateDrivers());
  m_refreshResults = false;
}

void TResultsPresenter::ScanEnded() {
  m_outdated.clear();
  m_upToDate.clear();
  m_scanResultAvailable = false;
}

TResultsShowAction TResultsPresenter::OnShow() const {
  if (!m_scanResultAvailable) return TResultsShowAction::refreshAll;
  return m_refreshResults ? TResultsShowAction::refreshOutdated : TResultsShowAction::none;
}

std::string TResultsPresenter::OutdatedSectionCaption() const {
  return m_strings.Load(IDS_OUTDATED_SECTION_CAPTION) + " (" + std::to_string(m_outdatedCount) + ")";
}

TDeviceProperties* TResultsPresenter::DeviceByTag(int tag) const {
  if (tag < 0) return nullptr;
  const auto& rows = tag < UPTODATE_TAG_BASE ? m_outdated : m_upToDate;
  const size_t index = static_cast<size_t>(tag < UPTODATE_TAG_BASE ? tag : tag - UPTODATE_TAG_BASE);
  return index < rows.size() ? rows[index].device : nullptr;
}

bool TResultsPresenter::ToggleSelection(int tag) {
  if (!IsOutdatedTag(tag) || static_cast<size_t>(tag) >= m_outdated.size()) return false;
  TResultRow& row = m_outdated[static_cast<size_t>(tag)];
  row.device->bSelected = !row.device->bSelected;
  row.selected = row.device->bSelected;
  return row.selected;
}

bool TResultsPresenter::AnyDeviceSelected() const {
  return std::any_of(m_outdated.begin(), m_outdated.end(), [](const TResultRow& row) { return row.device->bSelected; });
}

std::vector<TMenuEntry> TResultsPresenter::MenuFor(int tag, bool downloadAvailable, bool vistaAndAbove) const {
  return DeviceMenuEntries(m_strings, IsOutdatedTag(tag), downloadAvailable, vistaAndAbove);
}
