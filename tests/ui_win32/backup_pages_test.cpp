// Quorvane.exe under Wine with a root-enumerated test device, two starts.
// With the backup location on a missing drive: the tree after a scan, a tick
// enables Backup, the run ends naming the folder it could not make, the
// folder picker's Cancel changes nothing, and a scan keeps a backup from
// starting. With a real location: ticks follow the tree's rule by Space and by
// mouse; a backup of the test device ends "Backup finished" with its INF and a
// UTF-16 index in its folder; the restore page restores it (the driver key's
// section comes back), fails on an empty folder, deletes only on Yes; a device
// removed after the tree was filled fails its backup and names itself.
// A reboot is never asked for here: the restore's reboot branch is tested on
// the simulated machine with a recording power port.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <setupapi.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/backup_page.h"
#include "app/backup_progress_page.h"
#include "app/main_form.h"
#include "app/overview_page.h"
#include "app/restore_page.h"
#include "core/server_policy.h"
#include "platform/win32/win32_registry.h"
#include "program_under_test.h"
#include "test_device.h"
#include "ui/win32/message_dialog.h"

namespace {

using namespace std::chrono_literals;
using namespace program_under_test;
namespace fs = std::filesystem;

constexpr const wchar_t* TEST_HWID = L"ROOT\\QVTEST_BACKUP";
constexpr const wchar_t* TEST_DEVICE = L"Quorvane Test Device";
constexpr const wchar_t* TEST_SECTION = L"QuorvaneTest_Install";
constexpr int NAV_BACKUP = 2;
constexpr int NAV_RESTORE = 3;
constexpr int NAV_OVERVIEW = 0;

// A drive letter this Wine prefix does not have.
std::wstring MissingDrive() {
  const DWORD drives = GetLogicalDrives();
  for (wchar_t letter = L'Q'; letter <= L'Z'; ++letter) {
    if (!(drives & (1u << (letter - L'A')))) return std::wstring(1, letter) + L":";
  }
  return L"";
}

std::wstring TreeText(DWORD processId, HWND tree, HTREEITEM node) {
  constexpr size_t kChars = 256;
  TRemoteBuffer remote(processId, sizeof(TVITEMW) + kChars * sizeof(wchar_t));
  TVITEMW item{};
  item.mask = TVIF_HANDLE | TVIF_TEXT;
  item.hItem = node;
  item.cchTextMax = kChars;
  item.pszText = reinterpret_cast<wchar_t*>(remote.Address() + sizeof(TVITEMW));
  remote.Write(&item, sizeof(item));
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.Address()));
  wchar_t text[kChars] = {};
  remote.Read(text, sizeof(text) - sizeof(wchar_t), sizeof(TVITEMW));
  return text;
}

HTREEITEM TreeNext(HWND tree, HTREEITEM node, UINT relation) {
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(node)));
}

std::vector<HTREEITEM> Children(HWND tree, HTREEITEM node) {
  std::vector<HTREEITEM> children;
  for (HTREEITEM child = TreeNext(tree, node, TVGN_CHILD); child; child = TreeNext(tree, child, TVGN_NEXT))
    children.push_back(child);
  return children;
}

bool Ticked(HWND tree, HTREEITEM node) {
  return (SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(node), TVIS_STATEIMAGEMASK) >> 12) == 2;
}

// Space on a node, as the keyboard delivers it to the focused tree.
void PressSpace(HWND tree, HTREEITEM node) {
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node));
  PostMessageW(tree, WM_KEYDOWN, VK_SPACE, 0x00390001);
  PostMessageW(tree, WM_CHAR, L' ', 0x00390001);
  PostMessageW(tree, WM_KEYUP, VK_SPACE, 0xC0390001);
}

// A left click on a node's check box, found by hit-testing along the node's
// row; the pointer is moved there first, as the page reads the click's position.
bool ClickCheckBox(DWORD processId, HWND tree, HTREEITEM node) {
  TRemoteBuffer remote(processId, sizeof(TVHITTESTINFO) + sizeof(RECT));
  // TVM_GETITEMRECT takes the node in the rectangle's first bytes.
  remote.Write(&node, sizeof(node), sizeof(TVHITTESTINFO));
  RECT rect{};
  if (!SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(remote.Address() + sizeof(TVHITTESTINFO))))
    return false;
  remote.Read(&rect, sizeof(rect), sizeof(TVHITTESTINFO));
  const int y = (rect.top + rect.bottom) / 2;
  for (int x = 0; x < rect.left; ++x) {
    TVHITTESTINFO hit{};
    hit.pt = POINT{x, y};
    remote.Write(&hit, sizeof(hit));
    SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(remote.Address()));
    remote.Read(&hit, sizeof(hit));
    if (hit.hItem != node || !(hit.flags & TVHT_ONITEMSTATEICON)) continue;
    POINT screen{x, y};
    ClientToScreen(tree, &screen);
    SetCursorPos(screen.x, screen.y);
    PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(tree, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    return true;
  }
  return false;
}

void SelectListLine(DWORD processId, HWND list, int line) {
  TRemoteBuffer remote(processId, sizeof(LVITEMW));
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  remote.Write(&state, sizeof(state));
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(remote.Address()));
}

// A right click on a line of a list view, posted as the mouse sends it.
void RightClickListLine(DWORD processId, HWND list, int line) {
  TRemoteBuffer remote(processId, sizeof(RECT));
  RECT rect{};
  rect.left = LVIR_LABEL;
  remote.Write(&rect, sizeof(rect));
  SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(remote.Address()));
  remote.Read(&rect, sizeof(rect));
  // Near the line's lower edge, so the menu opens below its text.
  const LPARAM at = MAKELPARAM(rect.left + 40, rect.bottom - 2);
  PostMessageW(list, WM_RBUTTONDOWN, MK_RBUTTON, at);
  PostMessageW(list, WM_RBUTTONUP, 0, at);
}

std::vector<std::wstring> ListLines(DWORD processId, HWND list) {
  std::vector<std::wstring> lines;
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) lines.push_back(ListItemText(processId, list, i));
  return lines;
}

// An edit control's text: the control keeps it, so it is asked for it.
std::wstring EditText(HWND edit) {
  wchar_t text[512] = {};
  SendMessageW(edit, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
  return text;
}

// A click of a page's button, posted: the test goes on while a box it opens waits.
void PostClick(HWND page, int id) {
  PostMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::wstring FromUtf16Le(const std::string& bytes) {
  std::wstring text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
  return text;
}

class BackupPages : public ::testing::Test {
 protected:
  void SetUp() override {
    TWin32Registry registry;
    if (!ServerPolicy(registry, QV_SERVER_PORT)) GTEST_SKIP() << "no server policy: no reference server to scan against";
    ASSERT_EQ(CountMainWindows(), 0) << "a Quorvane window is open already";
    RunTestDevice(std::wstring(L"remove ") + TEST_HWID);
    ASSERT_EQ(RunTestDevice(std::wstring(L"install ") + TEST_HWID + L" 1.2.3.4"), 0u);
    m_installed = true;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    m_backups = fs::path(temp) / ("qv-backup-pages-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(m_backups);
  }
  void TearDown() override {
    if (m_window) {
      EXPECT_EQ(CloseAnswering(*m_process, m_window), std::optional<DWORD>(0));
    }
    m_lastLocation.reset();
    m_location.reset();
    if (m_installed) RunTestDevice(std::wstring(L"remove ") + TEST_HWID);
    std::error_code ignored;
    if (!m_backups.empty()) fs::remove_all(m_backups, ignored);
  }
  // Starts the program with its backup location at `location`.
  void Start(const std::wstring& location) {
    m_location.emplace(L"Backup Settings", L"Location", location.c_str());
    m_lastLocation.emplace(L"Backup Settings", L"Last Location", location.c_str());
    m_process.emplace();
    ASSERT_TRUE(m_process->Started());
    ASSERT_TRUE(WaitFor([&] { return (m_window = MainWindowOf(m_process->Id())) && IsWindowVisible(m_window); }, 30s));
  }
  HWND Page(int card, int id) const { return GetDlgItem(CardOf(m_window, card), id); }
  // Waits for a message box of the program, presses a button (or closes it by
  // its frame with 0) and returns its title and texts.
  std::wstring Answer(int buttonId) {
    HWND box = nullptr;
    std::wstring texts;
    EXPECT_TRUE(WaitFor([&] { return (box = DialogOf(m_process->Id(), &texts)) != nullptr; }, 90s));
    if (!box) return L"";
    const std::wstring title = TextOf(box);
    if (buttonId == 0) {
      PostMessageW(box, WM_CLOSE, 0, 0);
    } else {
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(box, buttonId)));
    }
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }, 10s));
    return title + L"|" + texts;
  }
  void Navigate(int mainItem, int card) {
    ClickNavigation(GetDlgItem(m_window, idMainNavigation), mainItem);
    ASSERT_TRUE(WaitFor([&] { return VisibleCard(m_window) == card; }, 10s));
  }
  // A scan against the empty catalog finds nothing to update.
  void Scan() {
    Navigate(NAV_OVERVIEW, cardOverview);
    PostClick(Page(cardOverview, idOverviewPage), idScanButton);
    EXPECT_EQ(Answer(QV_BOX_OK_ID), L"Quorvane|No driver updates were found for your devices.");
  }
  // The class node holding the test device and the device's node.
  std::pair<HTREEITEM, HTREEITEM> TestDeviceNodes(HWND tree) const {
    for (HTREEITEM group : Children(tree, TreeNext(tree, nullptr, TVGN_ROOT))) {
      for (HTREEITEM node : Children(tree, group)) {
        if (TreeText(m_process->Id(), tree, node) == TEST_DEVICE) return {group, node};
      }
    }
    return {nullptr, nullptr};
  }
  // Waits until the progress page's button shows "OK": the run has ended.
  void WaitForRunEnd(HWND progress) {
    ASSERT_TRUE(WaitFor([&] { return TextOf(GetDlgItem(progress, idStopBackupButton)) == L"OK"; }, 60s))
        << "the backup did not end";
  }

  fs::path m_backups;
  bool m_installed = false;
  std::optional<TConfigValue> m_location, m_lastLocation;
  std::optional<TProcess> m_process;
  HWND m_window = nullptr;
};

TEST_F(BackupPages, MissingDrivePickerCancelAndNoBackupBesideAScan) {
  const std::wstring drive = MissingDrive();
  ASSERT_FALSE(drive.empty()) << "every drive letter from Q to Z exists";
  const std::wstring location = drive + L"\\Quorvane Backups";
  Start(location);
  Scan();
  Navigate(NAV_BACKUP, cardBackup);
  HWND page = Page(cardBackup, idBackupPage);
  HWND tree = GetDlgItem(page, idDeviceView);
  HWND backup = GetDlgItem(page, idBackupButton);
  EXPECT_EQ(EditText(GetDlgItem(page, idBackupPathEdit)), location);
  EXPECT_NE(GetWindowLongPtrW(tree, GWL_STYLE) & TVS_CHECKBOXES, 0);
  HTREEITEM root = TreeNext(tree, nullptr, TVGN_ROOT);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(TreeNext(tree, root, TVGN_NEXT), nullptr) << "one computer node";
  EXPECT_NE(TreeText(m_process->Id(), tree, root).find(L" (Windows"), std::wstring::npos);
  EXPECT_NE(SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(root), TVIS_EXPANDED) & TVIS_EXPANDED, 0u);
  const auto [group, device] = TestDeviceNodes(tree);
  ASSERT_NE(device, nullptr) << "the test device is not in the tree";
  EXPECT_FALSE(IsWindowEnabled(backup));

  // The folder picker opens on its title; Cancel leaves the location.
  PostClick(page, idChangeBackupPath);
  std::wstring pickerTexts;
  HWND picker = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (picker = DialogOf(m_process->Id(), &pickerTexts)) != nullptr; }, 30s));
  EXPECT_EQ(TextOf(picker), L"Select backup folder");
  PostMessageW(picker, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(picker); }, 10s));
  EXPECT_EQ(EditText(GetDlgItem(page, idBackupPathEdit)), location);

  // The run finds no folder to back up into and says which.
  PressSpace(tree, device);
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(backup) != FALSE; }, 5s));
  PostClick(page, idBackupButton);
  HWND progress = Page(cardBackupProgress, idBackupProgressPage);
  WaitForRunEnd(progress);
  EXPECT_EQ(VisibleCard(m_window), cardBackupProgress);
  EXPECT_EQ(TextOf(GetDlgItem(progress, idBackupDeviceName)), L"The backup folder could not be created: " + location);
  EXPECT_EQ(DialogOf(m_process->Id()), nullptr);
  PostClick(progress, idStopBackupButton);
  ASSERT_TRUE(WaitFor([&] { return VisibleCard(m_window) == cardBackup; }, 10s));
  EXPECT_TRUE(Ticked(tree, device));
  EXPECT_TRUE(IsWindowEnabled(backup));

  // A scan disables Backup, and a click on it meanwhile starts nothing. The
  // three clicks are queued before anything the scan's worker posts.
  HWND overview = Page(cardOverview, idOverviewPage);
  HWND mainList = GetDlgItem(m_window, idMainNavigation);
  const LPARAM backupItem = NavigationItemPoint(mainList, NAV_BACKUP);
  PostMessageW(overview, WM_COMMAND, MAKEWPARAM(idScanButton, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(overview, idScanButton)));
  PostMessageW(mainList, WM_MOUSEMOVE, 0, backupItem);
  PostMessageW(mainList, WM_LBUTTONDOWN, MK_LBUTTON, backupItem);
  PostMessageW(mainList, WM_LBUTTONUP, 0, backupItem);
  PostMessageW(page, WM_COMMAND, MAKEWPARAM(idBackupButton, BN_CLICKED), reinterpret_cast<LPARAM>(backup));
  ASSERT_TRUE(WaitFor([&] { return VisibleCard(m_window) == cardBackup; }, 10s));
  EXPECT_EQ(Answer(QV_BOX_OK_ID), L"Quorvane|No driver updates were found for your devices.");
  EXPECT_EQ(VisibleCard(m_window), cardBackup) << "a backup started beside the scan";
  EXPECT_EQ(TextOf(GetDlgItem(progress, idBackupDeviceName)), L"The backup folder could not be created: " + location);
  // The scan's end fills the tree again, unticked.
  EXPECT_TRUE(WaitFor([&] { return !IsWindowEnabled(backup); }, 5s));
  const auto [groupAfter, deviceAfter] = TestDeviceNodes(tree);
  ASSERT_NE(deviceAfter, nullptr);
  EXPECT_FALSE(Ticked(tree, deviceAfter));
}

TEST_F(BackupPages, TicksBackupRestoreDeleteAndARemovedDevice) {
  Start(m_backups.wstring());
  Scan();
  Navigate(NAV_BACKUP, cardBackup);
  HWND page = Page(cardBackup, idBackupPage);
  HWND tree = GetDlgItem(page, idDeviceView);
  HWND backup = GetDlgItem(page, idBackupButton);
  EXPECT_EQ(EditText(GetDlgItem(page, idBackupPathEdit)), m_backups.wstring());
  const HTREEITEM computer = TreeNext(tree, nullptr, TVGN_ROOT);
  const auto [group, device] = TestDeviceNodes(tree);
  ASSERT_NE(device, nullptr) << "the test device is not in the tree";
  EXPECT_FALSE(IsWindowEnabled(backup));

  // Space on the class ticks its devices; unticking one device unticks only the class.
  PressSpace(tree, group);
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(backup) != FALSE; }, 5s));
  const std::vector<HTREEITEM> members = Children(tree, group);
  EXPECT_TRUE(Ticked(tree, group));
  for (HTREEITEM member : members) EXPECT_TRUE(Ticked(tree, member));
  PressSpace(tree, device);
  ASSERT_TRUE(WaitFor([&] { return !Ticked(tree, group); }, 5s));
  for (HTREEITEM member : members) EXPECT_EQ(Ticked(tree, member), member != device);
  // The computer's node sets everything below it: ticked, then unticked.
  PressSpace(tree, computer);
  ASSERT_TRUE(WaitFor([&] { return Ticked(tree, device); }, 5s));
  EXPECT_TRUE(Ticked(tree, group));
  PressSpace(tree, computer);
  ASSERT_TRUE(WaitFor([&] { return !IsWindowEnabled(backup); }, 5s));
  for (HTREEITEM member : members) EXPECT_FALSE(Ticked(tree, member));

  // The mouse ticks the test device alone; its backup ends "Backup finished".
  ASSERT_TRUE(ClickCheckBox(m_process->Id(), tree, device));
  ASSERT_TRUE(WaitFor([&] { return Ticked(tree, device) && IsWindowEnabled(backup); }, 5s));
  EXPECT_EQ(Ticked(tree, group), members.size() == 1);
  PostClick(page, idBackupButton);
  HWND progress = Page(cardBackupProgress, idBackupProgressPage);
  WaitForRunEnd(progress);
  EXPECT_EQ(VisibleCard(m_window), cardBackupProgress);
  EXPECT_EQ(TextOf(GetDlgItem(progress, idBackupDeviceName)), L"Backup finished");
  std::vector<fs::path> folders;
  for (const auto& entry : fs::directory_iterator(m_backups)) folders.push_back(entry.path());
  ASSERT_EQ(folders.size(), 1u) << "one backup folder";
  const fs::path folder = folders.front();
  EXPECT_EQ(folder.filename().wstring().rfind(std::wstring(TEST_DEVICE) + L" - ", 0), 0u) << folder;
  std::wstring infName;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() == ".inf") infName = entry.path().filename().wstring();
  }
  ASSERT_FALSE(infName.empty()) << "no INF in the backup folder";
  // "\<inf>:<hardware id>" in UTF-16LE.
  EXPECT_EQ(FromUtf16Le(ReadBytes(folder / "index.dat")), L"\\" + infName + L":" + TEST_HWID);
  PostClick(progress, idStopBackupButton);
  ASSERT_TRUE(WaitFor([&] { return VisibleCard(m_window) == cardBackup; }, 10s));

  // Restore lists the backup and an empty folder, which no backup made and so is marked
  // unverified; the backup brings the driver's section back, the empty folder asks first
  // and then fails.
  ASSERT_EQ(DriverSection(TEST_HWID, L"QuorvaneTestChanged_Install"), L"QuorvaneTestChanged_Install");
  fs::create_directories(m_backups / "Empty");
  Navigate(NAV_RESTORE, cardRestore);
  HWND restorePage = Page(cardRestore, idRestorePage);
  HWND list = GetDlgItem(restorePage, idRestoreList);
  HWND restore = GetDlgItem(restorePage, idRestoreButton);
  EXPECT_EQ(EditText(GetDlgItem(restorePage, idRestorePathEdit)), m_backups.wstring());
  EXPECT_EQ(SendMessageW(GetDlgItem(restorePage, idPromptReboot), BM_GETCHECK, 0, 0), BST_CHECKED);
  std::vector<std::wstring> lines = ListLines(m_process->Id(), list);
  ASSERT_EQ(lines.size(), 2u);
  const int backupLine = lines[0] == L"Empty (unverified)" ? 1 : 0;
  EXPECT_EQ(lines[backupLine], folder.filename().wstring());
  EXPECT_EQ(lines[1 - backupLine], L"Empty (unverified)");
  EXPECT_FALSE(IsWindowEnabled(restore));
  SelectListLine(m_process->Id(), list, backupLine);
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(restore) != FALSE; }, 5s));
  PostClick(restorePage, idRestoreButton);
  EXPECT_EQ(Answer(QV_BOX_OK_ID), L"Restore Drivers|Driver restored successfully.");
  EXPECT_EQ(DriverSection(TEST_HWID), TEST_SECTION);
  SelectListLine(m_process->Id(), list, 1 - backupLine);
  PostClick(restorePage, idRestoreButton);
  EXPECT_EQ(Answer(QV_BOX_YES_ID),
            L"Restore Drivers|This backup was made by an older version and cannot be checked for changes.\r\n"
            L"Restore it only if you are sure that nobody has changed it. Do you want to restore it?");
  EXPECT_EQ(Answer(QV_BOX_OK_ID), L"Restore Drivers|Driver could not be restored successfully.");

  // Delete from the line's menu: closed by its frame it keeps the folder, Yes removes it.
  const std::wstring question = L"Quorvane|Are you sure, you want to delete the driver backup?";
  for (int answer : {0, QV_BOX_YES_ID}) {
    RightClickListLine(m_process->Id(), list, 1 - backupLine);
    HWND menu = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (menu = FindMenuWindow()) != nullptr; }, 10s)) << "the list's menu did not open";
    ChooseMenuItem(menu, 0);
    EXPECT_EQ(Answer(answer), question);
    if (answer == 0) {
      EXPECT_TRUE(fs::exists(m_backups / "Empty"));
      EXPECT_EQ(ListLines(m_process->Id(), list).size(), 2u);
    }
  }
  EXPECT_EQ(Answer(QV_BOX_OK_ID), L"Quorvane|The driver backup was successfully deleted.");
  EXPECT_FALSE(fs::exists(m_backups / "Empty"));
  EXPECT_TRUE(fs::exists(folder));
  EXPECT_EQ(ListLines(m_process->Id(), list), (std::vector<std::wstring>{folder.filename().wstring()}));

  // A device removed since the tree was filled fails its backup and names itself.
  fs::remove_all(folder);
  ASSERT_EQ(RunTestDevice(std::wstring(L"remove ") + TEST_HWID), 0u);
  m_installed = false;
  Navigate(NAV_BACKUP, cardBackup);
  ASSERT_TRUE(Ticked(tree, device));
  PostClick(page, idBackupButton);
  EXPECT_EQ(Answer(QV_BOX_OK_ID), std::wstring(L"Quorvane|Backup failed.\r\n") + TEST_DEVICE);
  WaitForRunEnd(progress);
  EXPECT_EQ(TextOf(GetDlgItem(progress, idBackupDeviceName)), L"Backup failed");
  EXPECT_FALSE(fs::exists(folder));
}

}  // namespace

// Helpers for scripts/screenshot, on the running program: --tick-backup-node
// TEXT opens the backup page's node of that text and ticks it by Space; --start-backup
// presses Backup and waits until the run has ended; --open-restore-menu opens
// the menu of the restore list's first line. -1 for other arguments.
int BackupPagesStep(int argc, char** argv) {
  const std::string step = argc >= 2 ? argv[1] : "";
  if (step != "--tick-backup-node" && step != "--start-backup" && step != "--open-restore-menu") return -1;
  HWND window = FindWindowW(QV_MAIN_CLASS, nullptr);
  if (!window) return 1;
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  HWND backupPage = GetDlgItem(CardOf(window, cardBackup), idBackupPage);
  if (step == "--tick-backup-node" && argc == 3) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, argv[2], -1, nullptr, 0);
    std::wstring wanted(static_cast<size_t>(size > 0 ? size - 1 : 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, argv[2], -1, wanted.data(), size);
    HWND tree = GetDlgItem(backupPage, idDeviceView);
    std::vector<HTREEITEM> nodes{TreeNext(tree, nullptr, TVGN_ROOT)};
    for (size_t i = 0; i < nodes.size() && nodes[i]; ++i) {
      if (TreeText(processId, tree, nodes[i]) == wanted) {
        SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(nodes[i]));
        PressSpace(tree, nodes[i]);
        return 0;
      }
      for (HTREEITEM child : Children(tree, nodes[i])) nodes.push_back(child);
    }
    return 1;
  }
  if (step == "--start-backup") {
    HWND stop = GetDlgItem(GetDlgItem(CardOf(window, cardBackupProgress), idBackupProgressPage), idStopBackupButton);
    PostClick(backupPage, idBackupButton);
    return WaitFor([&] { return VisibleCard(window) == cardBackupProgress && TextOf(stop) == L"OK"; }, 120s) ? 0 : 1;
  }
  if (step == "--open-restore-menu") {
    HWND list = GetDlgItem(GetDlgItem(CardOf(window, cardRestore), idRestorePage), idRestoreList);
    if (SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 0) return 1;
    RightClickListLine(processId, list, 0);
    return 0;
  }
  return 3;
}
