#include "ui/results_presenter.h"

#include <algorithm>
#include <unordered_map>

#include "core/size_format.h"
#include "res/string_ids.h"

namespace {

constexpr int COUNT_TEXT_GAP = 5;

// Each record's instance among the data model's records with its hardware id.
std::unordered_map<const TDeviceProperties*, int> Instances(const TDeviceList& devices) {
  std::unordered_map<std::string, int> seen;
  std::unordered_map<const TDeviceProperties*, int> instances;
  for (const auto& device : devices) instances[device.get()] = seen[device->strHID]++;
  return instances;
}

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
  const auto instances = Instances(m_model.DeviceList());
  std::vector<TResultRow> rows;
  rows.reserve(devices.size());
  for (size_t i = 0; i < devices.size(); ++i) {
    const TDeviceProperties& device = *devices[i];
    TResultRow row;
    row.key = {outdated ? TResultList::outdated : TResultList::upToDate, device.strHID, instances.at(&device)};
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

void TResultsPresenter::SetImageLists(TImageListRef deviceImages, TImageListRef classImages) {
  m_deviceImages = deviceImages;
  m_classImages = classImages;
}

void TResultsPresenter::RefreshResults(const TRowImages& images) {
  TDriverMap outdated;
  m_model.GetDriverMap(outdated, DRIVER_TYPE_OUTDATED);
  std::erase_if(outdated, [](const TDeviceProperties* d) { return d->bInstalled || d->bUninstalled; });
  SetCount(static_cast<int>(outdated.size()));
  m_countFitted = true;
  m_outdated = {BuildRows(std::move(outdated), true, images), m_outdated.build + 1};
  m_refreshResults = false;

  TDriverMap upToDate;
  m_model.GetDriverMap(upToDate, DRIVER_TYPE_UPTODATE);
  std::erase_if(upToDate, [](const TDeviceProperties* d) { return d->bUninstalled; });
  m_upToDate = {BuildRows(std::move(upToDate), false, images), m_upToDate.build + 1};
  m_scanResultAvailable = true;
}

void TResultsPresenter::RefreshOutdatedList(const TRowImages& images) {
  TDriverMap outdated;
  m_model.GetDriverMap(outdated, DRIVER_TYPE_OUTDATED);
  m_outdated = {BuildRows(std::move(outdated), true, images), m_outdated.build + 1};
  SetCount(m_model.GetOutofDateDrivers());
  m_countFitted = false;
  m_refreshResults = false;
}

void TResultsPresenter::ScanEnded() {
  m_scanRunning = false;
  m_outdated = {{}, m_outdated.build + 1};
  m_upToDate = {{}, m_upToDate.build + 1};
  m_scanResultAvailable = false;
}

TResultsShowAction TResultsPresenter::OnShow() const {
  if (m_scanRunning) return TResultsShowAction::none;
  if (!m_scanResultAvailable) return TResultsShowAction::refreshAll;
  return m_refreshResults ? TResultsShowAction::refreshOutdated : TResultsShowAction::none;
}

std::string TResultsPresenter::OutdatedSectionCaption() const {
  return m_strings.Load(IDS_OUTDATED_SECTION_CAPTION) + " (" + std::to_string(m_outdatedCount) + ")";
}

TResultsView TResultsPresenter::View() const {
  TResultsView view;
  view.title = m_strings.Load(IDS_RESULTS_TITLE);
  view.rescanHint = m_strings.Load(IDS_RESCAN_HINT);
  view.updateAllCaption = m_strings.Load(IDS_UPDATE_ALL_CAPTION);
  view.countText = m_countText;
  view.countFitted = m_countFitted;
  view.outdatedCaption = OutdatedSectionCaption();
  view.upToDateCaption = m_strings.Load(IDS_UPTODATE_SECTION_CAPTION);
  view.rowTexts = {m_strings.Load(IDS_UPDATE_DRIVER_CAPTION), m_strings.Load(IDS_UPDATE_DRIVER_HINT),
                   m_strings.Load(IDS_STATUS_LINE_HINT),      m_strings.Load(IDS_INFO_IMAGE_HINT),
                   m_strings.Load(IDS_MENU_IMAGE_HINT),       m_strings.Load(IDS_SELECT_DEVICE_HINT)};
  view.deviceImages = m_deviceImages;
  view.classImages = m_classImages;
  view.outdated = {m_outdated.rows, m_outdated.build, true};
  view.upToDate = {m_upToDate.rows, m_upToDate.build, false};
  view.updateAllEnabled = m_updateAllEnabled;
  view.updateAllHint = m_strings.Load(UpdateAllHintId(m_updateAllEnabled));
  return view;
}

TResultRow* TResultsPresenter::RowOf(const TRowKey& key) {
  auto& rows = key.list == TResultList::outdated ? m_outdated.rows : m_upToDate.rows;
  const auto found = std::find_if(rows.begin(), rows.end(), [&](const TResultRow& row) { return row.key == key; });
  return found == rows.end() ? nullptr : &*found;
}

TDeviceProperties* TResultsPresenter::DeviceOf(const TRowKey& key) const {
  // While a scan runs the data model's records are being replaced on its thread.
  if (m_scanRunning) return nullptr;
  const auto& rows = key.list == TResultList::outdated ? m_outdated.rows : m_upToDate.rows;
  if (std::none_of(rows.begin(), rows.end(), [&](const TResultRow& row) { return row.key == key; })) return nullptr;
  int instance = 0;
  for (const auto& device : m_model.DeviceList()) {
    if (device->strHID == key.hid && instance++ == key.instance) return device.get();
  }
  return nullptr;
}

bool TResultsPresenter::ToggleSelection(const TRowKey& key) {
  TResultRow* row = RowOf(key);
  TDeviceProperties* device = DeviceOf(key);
  if (key.list != TResultList::outdated || !row || !device) return false;
  device->bSelected = !device->bSelected;
  row->selected = device->bSelected;
  m_updateAllEnabled = AnyDeviceSelected();
  return row->selected;
}

void TResultsPresenter::FollowSelection() {
  if (!m_scanRunning) m_updateAllEnabled = AnyDeviceSelected();
}

bool TResultsPresenter::AnyDeviceSelected() const {
  return std::any_of(m_outdated.rows.begin(), m_outdated.rows.end(), [](const TResultRow& row) { return row.selected; });
}

std::vector<TMenuEntry> TResultsPresenter::MenuFor(const TRowKey& key, bool downloadAvailable,
                                                   bool vistaAndAbove) const {
  return DeviceMenuEntries(m_strings, key.list == TResultList::outdated, downloadAvailable, vistaAndAbove);
}

std::string TResultsPresenter::FolderToOpen(const TRowKey& key, TDataManager& engine) const {
  const TDeviceProperties* device = DeviceOf(key);
  return device ? engine.PackageFolderToOpen(*device) : std::string();
}
