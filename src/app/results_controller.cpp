#include "app/results_controller.h"

#include "app/device_info_form.h"
#include "core/launch.h"
#include "core/message_box_kinds.h"
#include "core/paths.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"
#include "res/string_ids.h"
#include "ui/driver_reboot.h"

namespace {

// Menu command identifiers of the device menu (by position).
constexpr UINT QV_MENU_FIRST = 100;

}  // namespace

TResultsController::TResultsController(TDriverDatamodel& model, TDataManager& engine, TSystemPorts ports,
                                       IPageHost& host)
    : m_model(model), m_engine(engine), m_ports(ports), m_host(host) {}

void TResultsController::ShowDeviceDetails(const TRowKey& row) {
  TDeviceProperties* device = m_results.DeviceOf(row);
  if (!device) return;
  const bool outdated = row.list == TResultList::outdated;
  TDeviceInfoForm details(DeviceDetailsView(*device, outdated, m_ports.strings, m_problemTexts),
                          ShowAllText(*device, m_ports.strings), m_engine.DeviceClassImages(), m_ports.strings);
  // The record is found again: the window's modal loop may have let a scan begin.
  if (details.ShowModal(m_host.Owner()) && m_updateOne && (device = m_results.DeviceOf(row))) m_updateOne(device);
}

void TResultsController::OnUpdateRequests(std::function<void(TDeviceProperties*)> updateOne,
                                          std::function<void(const TDriverMap&)> updateAll) {
  m_updateOne = std::move(updateOne);
  m_updateAll = std::move(updateAll);
}

void TResultsController::CreateResultPages(TCard& results, TCard& ignored) {
  // Both pages carry their own titles.
  ShowWindow(results.TitleLabel(), SW_HIDE);
  ShowWindow(ignored.TitleLabel(), SW_HIDE);
  RECT card{};
  GetClientRect(results.Handle(), &card);
  TResultsPageEvents events;
  events.rescan = [this] { ReScanButtonClick(); };
  events.updateAll = [this] {
    // Nothing reaches the records while a scan replaces them.
    if (!m_updateAll || m_results.ScanRunning()) return;
    TDriverMap outdated;
    for (const TResultRow& row : m_results.Outdated())
      if (TDeviceProperties* device = m_results.DeviceOf(row.key)) outdated.push_back(device);
    m_updateAll(outdated);
  };
  events.updateClicked = [this](const TRowKey& row) {
    if (TDeviceProperties* device = m_results.DeviceOf(row); device && m_updateOne) m_updateOne(device);
  };
  events.selectClicked = [this](const TRowKey& row) { imgDeviceSelectedClick(row); };
  events.infoClicked = [this](const TRowKey& row) { ShowDeviceDetails(row); };
  events.menuRequested = [this](const TRowKey& row, POINT at) { DeviceDetailsMenuPopup(row, at); };
  events.dpiChanged = [this] {
    // The rows are built again at the new size, now or when the page next shows.
    m_results.Invalidate();
    if (m_host.ShownCard() == cardScanResults) ShowResultsPage();
  };
  m_resultsPage.Create(results.Handle(), {0, 0, card.right, card.bottom}, m_host.Owner(), std::move(events));
  m_ignoredPage.Create(
      ignored.Handle(), {0, 0, card.right, card.bottom}, m_host.Owner(),
      [this](size_t row, bool checked) { IgnoreListItemChecked(row, checked); }, [this] { aclIncludeExecute(); });
  m_host.OnCardShown(cardScanResults, [this] { ShowResultsPage(); });
  m_host.OnCardShown(cardIgnoredDevices, [this] { FillIgnoredList(); });
}

void TResultsController::UpdateResultTexts() {
  ApplyResults();
  ApplyIgnored();
}

void TResultsController::ApplyResults() { m_resultsPage.Apply(m_results.View()); }

void TResultsController::ApplyIgnored() { m_ignoredPage.Apply(m_ignored.View()); }

void TResultsController::ScanStarted() { m_results.ScanStarted(); }

void TResultsController::ScanStopRequested() { m_results.MarkStale(); }

void TResultsController::ScanEnded() {
  // The rows go, and the lists are built again from the new data when their
  // page shows (now, when it is shown).
  m_results.ScanEnded();
  ApplyResults();
  if (m_host.ShownCard() == cardScanResults) ShowResultsPage();
  if (m_host.ShownCard() == cardIgnoredDevices) FillIgnoredList();
}

TRowImages TResultsController::RowImages() {
  const TImageListRef deviceImages = m_engine.LargeDeviceImages();
  m_results.SetImageLists(deviceImages, m_engine.DeviceClassImages());
  TRowImages images;
  images.vistaAndAbove = m_model.IsOsVistaAndAbove();
  images.deviceImagesEmpty = !deviceImages.handle || m_ports.imageLists.ImageCount(deviceImages.handle) == 0;
  return images;
}

void TResultsController::ShowResultsPage() {
  switch (m_results.OnShow()) {
    case TResultsShowAction::refreshAll:
      RefreshResults();
      break;
    case TResultsShowAction::refreshOutdated:
      m_results.FollowSelection();
      RefreshOutdatedList();
      break;
    case TResultsShowAction::none:
      m_results.FollowSelection();
      ApplyResults();
      break;
  }
}

void TResultsController::RefreshResults() {
  m_engine.BuildImageList();
  m_results.RefreshResults(RowImages());
  ApplyResults();
}

void TResultsController::RefreshOutdatedList() {
  m_results.RefreshOutdatedList(RowImages());
  ApplyResults();
}

void TResultsController::ReScanButtonClick() {
  m_host.ExecuteNavigation(TShellAction::aclHome);
  m_host.ExecuteStartScan();
}

void TResultsController::imgDeviceSelectedClick(const TRowKey& row) {
  m_results.ToggleSelection(row);
  ApplyResults();
}

void TResultsController::DeviceDetailsMenuPopup(const TRowKey& row, POINT at) {
  TDeviceProperties* device = m_results.DeviceOf(row);
  if (!device) return;
  const auto entries =
      m_results.MenuFor(row, m_engine.IsDownloadAvailable(*device) != 0, m_model.IsOsVistaAndAbove());
  TMenu menu(CreatePopupMenu());
  if (!menu) return;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!entries[i].visible) continue;
    AppendMenuW(menu.Get(), MF_STRING | (entries[i].enabled ? MF_ENABLED : MF_GRAYED), QV_MENU_FIRST + i,
                Utf8ToWide(entries[i].caption).c_str());
  }
  const UINT chosen =
      TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, m_host.Owner(), nullptr);
  menu.Reset();
  if (chosen < QV_MENU_FIRST) return;
  // The menu's loop ran the window's messages: the device is found again.
  device = m_results.DeviceOf(row);
  if (!device) return;
  switch (static_cast<TDeviceMenuItem>(chosen - QV_MENU_FIRST)) {
    case menuDetails: ShowDeviceDetails(row); break;
    case menuDelete: Delete1Click(*device); break;
    case menuOpen: Open1Click(row); break;
    case menuIgnore: Ignore1Click(*device); break;
    case menuUninstall: Uninstall1Click(*device); break;
    default: break;
  }
}

void TResultsController::Delete1Click(const TDeviceProperties& device) {
  const std::string question = FormatWithName(Text(IDS_DELETE_UPDATE_QUESTION), device.strName);
  if (m_host.Ask(Text(IDS_DELETE_UPDATE_TITLE), question, QV_KIND_YES_NO) != ID_YES) return;
  if (m_engine.DeleteDriverFile(reinterpret_cast<uintptr_t>(m_host.Owner()), device)) {
    m_host.Ask(m_model.GetAppName(), Text(IDS_UPDATE_DELETED_TEXT), QV_KIND_INFORMATION);
  }
}

void TResultsController::Open1Click(const TRowKey& row) {
  const std::string folder = m_results.FolderToOpen(row, m_engine);
  if (!folder.empty()) m_ports.shell.Execute("", folder, "", SW_SHOWNORMAL);
}

void TResultsController::Ignore1Click(TDeviceProperties& device) {
  const std::string title = FormatWithName(Text(IDS_IGNORE_DEVICE_TITLE), device.strName);
  if (m_host.Ask(title, Text(IDS_IGNORE_DEVICE_QUESTION), QV_KIND_YES_NO) != ID_YES) return;
  m_model.ExcludeDevice(device, deviSameName);
  RefreshOutdatedList();
}

void TResultsController::Uninstall1Click(TDeviceProperties& device) {
  const std::string question = FormatWithName(Text(IDS_UNINSTALL_DEVICE_QUESTION), device.strName);
  if (m_host.Ask(Text(IDS_UNINSTALL_DEVICE_TITLE), question, QV_KIND_YES_NO) != ID_YES) return;
  bool rebootRequired = false;
  const std::string appName = m_model.GetAppName();
  if (!m_engine.UninstallDevice(device.strHID, rebootRequired)) {
    m_host.Ask(appName, Text(IDS_UNINSTALL_FAILED_TEXT), QV_KIND_INFORMATION);
    return;
  }
  device.bUninstalled = true;
  RefreshResults();
  if (!rebootRequired) {
    m_host.Ask(appName, Text(IDS_UNINSTALLED_TEXT), QV_KIND_INFORMATION);
    return;
  }
  OfferRestart(IDS_UNINSTALL_REBOOT_QUESTION);
}

void TResultsController::OfferRestart(int questionId) {
  RebootForDriverChange({TRebootMode::ask, m_model.GetAppName(), Text(questionId)}, m_host, m_ports.power,
                        m_ports.strings);
}

void TResultsController::FillIgnoredList() {
  m_ignored.Fill();
  ApplyIgnored();
}

void TResultsController::IgnoreListItemChecked(size_t row, bool checked) {
  m_ignored.SetChecked(row, checked);
  ApplyIgnored();
}

void TResultsController::aclIncludeExecute() {
  m_ignored.Include();
  ApplyIgnored();
}
