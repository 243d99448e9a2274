// TDriverAppForm: the results and ignored pages. Rebuilding the lists, the row
// actions (selection, details, the device menu and its four actions) and the
// ignored list with Include.
#include "app/main_form.h"

#include "core/launch.h"
#include "core/message_box_kinds.h"
#include "core/paths.h"
#include "platform/win32/win32_text.h"
#include "res/string_ids.h"
#include "ui/win32/message_dialog.h"

namespace {

// Menu command identifiers of the device menu (by position).
constexpr UINT QV_MENU_FIRST = 100;

}  // namespace

int TDriverAppForm::Ask(const std::string& title, const std::string& text, int kind) {
  return QvMessageBox(Handle(), m_ports.strings, title, text, kind);
}

void TDriverAppForm::CreateResultPages() {
  TCard& results = m_contentCards.Card(cardScanResults);
  TCard& ignored = m_contentCards.Card(cardIgnoredDevices);
  // Both pages carry their own titles.
  ShowWindow(results.TitleLabel(), SW_HIDE);
  ShowWindow(ignored.TitleLabel(), SW_HIDE);
  RECT card{};
  GetClientRect(results.Handle(), &card);
  TResultsPageEvents events;
  events.rescan = [this] { ReScanButtonClick(); };
  events.updateAll = [] {};     // the update pages take it over
  events.updateClicked = [](int) {};
  events.selectClicked = [this](int tag) { imgDeviceSelectedClick(tag); };
  events.infoClicked = [](int) {};  // the details window takes it over
  events.menuRequested = [this](int tag, POINT at) { DeviceDetailsMenuPopup(tag, at); };
  events.dpiChanged = [this] {
    // The rows are built again at the new size, now or when the page next shows.
    m_resultsPage.DropRows();
    m_results.Invalidate();
    if (m_contentCards.Shown() == cardScanResults) ShowResultsPage();
  };
  m_resultsPage.Create(results.Handle(), {0, 0, card.right, card.bottom}, Handle(), std::move(events));
  m_ignoredPage.Create(
      ignored.Handle(), {0, 0, card.right, card.bottom}, Handle(),
      [this](size_t row, bool checked) { IgnoreListItemChecked(row, checked); }, [this] { aclIncludeExecute(); });
}

void TDriverAppForm::UpdateResultTexts() {
  const TRowTexts rows{Text(IDS_UPDATE_DRIVER_CAPTION), Text(IDS_UPDATE_DRIVER_HINT), Text(IDS_STATUS_LINE_HINT),
                       Text(IDS_INFO_IMAGE_HINT),       Text(IDS_MENU_IMAGE_HINT),    Text(IDS_SELECT_DEVICE_HINT)};
  m_resultsPage.SetTexts({Text(IDS_RESULTS_TITLE), Text(IDS_RESCAN_HINT), Text(IDS_UPDATE_ALL_CAPTION),
                          Text(IDS_UPTODATE_SECTION_CAPTION), rows});
  m_resultsPage.SetCountText(m_results.CountText(), false);
  m_resultsPage.SetOutdatedCaption(m_results.OutdatedSectionCaption());
  ApplyUpdateAllState(false);
  m_ignoredPage.SetTexts({Text(IDS_CARD_IGNORED), IgnoredPageText(m_ports.strings), Text(IDS_IGNORED_NAME_COLUMN),
                          Text(IDS_IGNORED_VERSION_COLUMN), Text(IDS_INCLUDE_CAPTION), Text(IDS_INCLUDE_HINT)});
}

TRowImages TDriverAppForm::RowImages() {
  auto deviceImages = reinterpret_cast<HIMAGELIST>(m_engine.LargeDeviceImages());
  m_resultsPage.SetImageLists(deviceImages, reinterpret_cast<HIMAGELIST>(m_engine.DeviceClassImages()));
  TRowImages images;
  images.vistaAndAbove = m_model.IsOsVistaAndAbove();
  images.deviceImagesEmpty = !deviceImages || ImageList_GetImageCount(deviceImages) == 0;
  return images;
}

void TDriverAppForm::ShowResultsPage() {
  // While a scan runs the data model's list is being replaced: the page keeps
  // what it shows, and the scan's completion step rebuilds it.
  if (FscanTask) return;
  switch (m_results.OnShow()) {
    case TResultsShowAction::refreshAll:
      RefreshResults(true);
      break;
    case TResultsShowAction::refreshOutdated:
      ApplyUpdateAllState(true);
      RefreshOutdatedList();
      break;
    case TResultsShowAction::none:
      ApplyUpdateAllState(true);
      break;
  }
}

void TDriverAppForm::ApplyUpdateAllState(bool setEnabled) {
  // The enabled state follows the selection; a rebuild only renews hint and look.
  if (setEnabled) m_updateAllEnabled = m_results.AnyDeviceSelected();
  m_resultsPage.SetUpdateAll(m_updateAllEnabled, Text(UpdateAllHintId(m_updateAllEnabled)));
}

void TDriverAppForm::RefreshResults(bool redraw) {
  m_engine.BuildImageList();
  m_results.RefreshResults(RowImages());
  m_resultsPage.SetOutdatedCaption(m_results.OutdatedSectionCaption());
  m_resultsPage.SetCountText(m_results.CountText(), true);
  m_resultsPage.BuildResultRows(true, m_results.Outdated(), redraw);
  m_resultsPage.SizeSection(true, true);
  ApplyUpdateAllState(false);
  m_resultsPage.BuildResultRows(false, m_results.UpToDate(), redraw);
  m_resultsPage.SizeSection(false, false);
}

void TDriverAppForm::RefreshOutdatedList() {
  m_results.RefreshOutdatedList(RowImages());
  m_resultsPage.BuildResultRows(true, m_results.Outdated(), false);
  m_resultsPage.SetCountText(m_results.CountText(), false);
  m_resultsPage.SetOutdatedCaption(m_results.OutdatedSectionCaption());
  m_resultsPage.SizeSection(true, true);
}

void TDriverAppForm::ReScanButtonClick() {
  ExecuteNavigation(TShellAction::aclHome);
  StartScanTask();
}

void TDriverAppForm::imgDeviceSelectedClick(int tag) {
  if (FscanTask) return;  // the rows' records may be freed by the ending scan
  const bool selected = m_results.ToggleSelection(tag);
  m_resultsPage.SetRowSelected(tag, selected);
  ApplyUpdateAllState(true);
}

void TDriverAppForm::DeviceDetailsMenuPopup(int tag, POINT at) {
  // The records behind the rows are replaced by a running scan.
  if (FscanTask) return;
  TDeviceProperties* device = m_results.DeviceByTag(tag);
  if (!device) return;
  const auto entries =
      m_results.MenuFor(tag, m_engine.IsDownloadAvailable(device->strHID) != 0, m_model.IsOsVistaAndAbove());
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!entries[i].visible) continue;
    AppendMenuW(menu, MF_STRING | (entries[i].enabled ? MF_ENABLED : MF_GRAYED), QV_MENU_FIRST + i,
                Utf8ToWide(entries[i].caption).c_str());
  }
  const UINT chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, Handle(), nullptr);
  DestroyMenu(menu);
  if (chosen < QV_MENU_FIRST) return;
  switch (static_cast<TDeviceMenuItem>(chosen - QV_MENU_FIRST)) {
    case menuDetails: break;  // the details window takes it over
    case menuDelete: Delete1Click(*device); break;
    case menuOpen: Open1Click(*device); break;
    case menuIgnore: Ignore1Click(*device); break;
    case menuUninstall: Uninstall1Click(*device); break;
    default: break;
  }
}

void TDriverAppForm::Delete1Click(const TDeviceProperties& device) {
  const std::string question = FormatWithName(Text(IDS_DELETE_UPDATE_QUESTION), device.strName);
  if (Ask(Text(IDS_DELETE_UPDATE_TITLE), question, QV_KIND_YES_NO) != ID_YES) return;
  if (m_engine.DeleteDriverFile(reinterpret_cast<uintptr_t>(Handle()), device)) {
    Ask(m_model.GetAppName(), Text(IDS_UPDATE_DELETED_TEXT), QV_KIND_INFORMATION);
  }
}

void TDriverAppForm::Open1Click(const TDeviceProperties& device) {
  const std::string folder = JoinPath(m_model.DownloadLocation(), device.strDriverDBId);
  m_ports.shell.Execute("", folder, "", SW_SHOWNORMAL);
}

void TDriverAppForm::Ignore1Click(TDeviceProperties& device) {
  const std::string title = FormatWithName(Text(IDS_IGNORE_DEVICE_TITLE), device.strName);
  if (Ask(title, Text(IDS_IGNORE_DEVICE_QUESTION), QV_KIND_YES_NO) != ID_YES) return;
  m_model.ExcludeDevice(device, deviSameName);
  RefreshOutdatedList();
}

void TDriverAppForm::Uninstall1Click(TDeviceProperties& device) {
  const std::string question = FormatWithName(Text(IDS_UNINSTALL_DEVICE_QUESTION), device.strName);
  if (Ask(Text(IDS_UNINSTALL_DEVICE_TITLE), question, QV_KIND_YES_NO) != ID_YES) return;
  bool rebootRequired = false;
  const std::string appName = m_model.GetAppName();
  if (!m_engine.UninstallDevice(device.strHID, rebootRequired)) {
    Ask(appName, Text(IDS_UNINSTALL_FAILED_TEXT), QV_KIND_INFORMATION);
    return;
  }
  device.bUninstalled = true;
  RefreshResults(true);
  if (!rebootRequired) {
    Ask(appName, Text(IDS_UNINSTALLED_TEXT), QV_KIND_INFORMATION);
    return;
  }
  if (Ask(appName, Text(IDS_UNINSTALL_REBOOT_QUESTION), QV_KIND_YES_NO) != ID_YES) return;
  try {
    m_model.DumpScanResults();
  } catch (const std::exception& error) {
    Ask(appName, error.what(), QV_KIND_INFORMATION);
  }
  if (!RebootSystem(m_ports.power)) Ask(appName, Text(IDS_REBOOT_FAILED_TEXT), QV_KIND_INFORMATION);
}

void TDriverAppForm::FillIgnoredList() {
  // During a scan the list keeps its rows; the scan's end refills it.
  if (!FscanTask) m_ignored.Fill();
  m_ignoredPage.Fill(m_ignored.Rows());
  m_ignoredPage.SetIncludeEnabled(!FscanTask && m_ignored.IncludeEnabled());
}

void TDriverAppForm::IgnoreListItemChecked(size_t row, bool checked) {
  m_ignored.SetChecked(row, checked);
  m_ignoredPage.SetIncludeEnabled(!FscanTask && m_ignored.IncludeEnabled());
}

void TDriverAppForm::aclIncludeExecute() {
  if (FscanTask) return;
  m_ignored.Include(m_results);
  m_ignoredPage.Fill(m_ignored.Rows());
  m_ignoredPage.SetIncludeEnabled(m_ignored.IncludeEnabled());
}
