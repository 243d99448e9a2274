// The results and ignored pages' decisions on a data model of a simulated machine:
// which devices each list shows and in what order, the rows' fields, the device
// menu, the Update All and Include rules, and when the outdated list goes stale.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "core/paths.h"
#include "engine/package_record.h"
#include "platform/path_parts.h"
#include "platform/sim/builtin_strings.h"
#include "res/string_ids.h"
#include "support/sim_data_model.h"
#include "ui/ignored_presenter.h"
#include "ui/results_presenter.h"

namespace {

TBuiltinStringTable strings;

struct TDeviceFacts {
  std::string hid;
  std::string classDescription;
  std::string name;
  std::string newVersion;  // empty: up to date
};

class ResultsPages : public ::testing::Test {
 protected:
  ResultsPages() : model(fixture.Create()), texts(fixture.machine.strings) {}

  TDeviceProperties& Add(const TDeviceFacts& facts) {
    auto device = std::make_unique<TDeviceProperties>();
    device->strHID = facts.hid;
    device->strClassDescription = facts.classDescription;
    device->strName = facts.name;
    device->strNewVersion = facts.newVersion;
    device->strVersion = "1.0";
    TDeviceProperties& added = *device;
    model.AddDevice(std::move(device));
    return added;
  }

  static std::vector<std::string> Names(const std::vector<TResultRow>& rows) {
    std::vector<std::string> names;
    for (const auto& row : rows) names.push_back(row.name);
    return names;
  }

  TSimDataModelFixture fixture;
  TDriverDatamodel& model;
  TProblemTexts texts;
  TResultsPresenter results{model, fixture.machine.locale, fixture.machine.strings, texts};
  TRowImages images;
};

TEST_F(ResultsPages, FullRebuildHidesInstalledDevicesUntilOnlyTheOutdatedListIsRebuilt) {
  Add({"PCI\\A", "network adapters", "Ethernet", "2.0"});
  Add({"PCI\\B", "Display adapters", "Graphics", "2.0"}).bInstalled = true;
  Add({"PCI\\C", "audio inputs", "Microphone", "2.0"});
  Add({"PCI\\D", "Disk drives", "Old disk", "2.0"}).bUninstalled = true;
  Add({"PCI\\E", "USB", "Hub", ""});
  Add({"PCI\\F", "Batteries", "Battery", ""}).bUninstalled = true;
  Add({"PCI\\G", "Batteries", "Gone", "2.0"}).nIgnored = 1;

  EXPECT_EQ(results.OnShow(), TResultsShowAction::refreshAll);
  results.RefreshResults(images);
  EXPECT_EQ(Names(results.Outdated()), (std::vector<std::string>{"Microphone", "Ethernet"}));
  EXPECT_EQ(Names(results.UpToDate()), (std::vector<std::string>{"Hub"}));
  EXPECT_EQ(results.CountText(), "2 Available drivers found");
  EXPECT_EQ(results.OutdatedSectionCaption(), "Devices with outdated drivers (2)");
  EXPECT_EQ(results.Outdated()[1].tag, 1);
  EXPECT_EQ(results.UpToDate()[0].tag, 1000);
  EXPECT_EQ(results.OnShow(), TResultsShowAction::none);

  // Ignoring a device (or including one) rebuilds only the outdated list, from
  // the data model as it is: the installed and uninstalled devices come back.
  model.ExcludeDevice(*results.DeviceOf(results.Outdated()[1].key), deviSameName);
  results.MarkStale();
  EXPECT_EQ(results.OnShow(), TResultsShowAction::refreshOutdated);
  results.RefreshOutdatedList(images);
  EXPECT_EQ(Names(results.Outdated()), (std::vector<std::string>{"Microphone", "Old disk", "Graphics"}));
  EXPECT_EQ(results.CountText(), "3 Available drivers found");
  EXPECT_EQ(results.OutdatedSectionCaption(), "Devices with outdated drivers (3)");
  EXPECT_EQ(results.OnShow(), TResultsShowAction::none);

  results.Invalidate();
  EXPECT_EQ(results.OnShow(), TResultsShowAction::refreshAll);
}

TEST_F(ResultsPages, NoOutdatedDeviceCountsZero) {
  Add({"PCI\\E", "USB", "Hub", ""});
  results.RefreshResults(images);
  EXPECT_TRUE(results.Outdated().empty());
  EXPECT_EQ(results.CountText(), "0 Available drivers found");
  EXPECT_EQ(results.OutdatedSectionCaption(), "Devices with outdated drivers (0)");
  EXPECT_FALSE(results.AnyDeviceSelected());
}

TEST_F(ResultsPages, RowFields) {
  TDeviceProperties& broken = Add({"PCI\\A", "Display adapters", "Graphics", "2.0"});
  broken.nStatusCode = 28;
  broken.nLargeImage = 7;
  broken.nClassImage = 3;
  broken.strDriverSize = "2048";
  broken.bSelected = true;
  TDeviceProperties& fine = Add({"PCI\\B", "USB", "Hub", ""});
  fine.nClassImage = -1;
  fine.nLargeImage = 4;

  results.RefreshResults(images);
  const TResultRow& outdated = results.Outdated().at(0);
  EXPECT_EQ(outdated.category, "Display adapters");
  EXPECT_TRUE(outdated.statusShown);
  EXPECT_EQ(outdated.statusText, "The drivers for this device are not installed. (Code 28)");
  EXPECT_TRUE(outdated.selectionShown);
  EXPECT_TRUE(outdated.selected);
  EXPECT_EQ(outdated.driverSize, "2048");
  EXPECT_EQ(outdated.sizeText, "2 MB");
  EXPECT_TRUE(outdated.infoShown && outdated.menuShown);
  // A size that is no number shows no size line and does not stop the list.
  broken.strDriverSize = "12 KB";
  results.RefreshOutdatedList(images);
  EXPECT_EQ(results.Outdated().at(0).sizeText, "");
  const TResultRow& upToDate = results.UpToDate().at(0);
  EXPECT_FALSE(upToDate.statusShown);
  EXPECT_FALSE(upToDate.selectionShown);
  EXPECT_TRUE(upToDate.infoShown && upToDate.menuShown);

  // The icon: the device's large image when that list is usable, else its class image, else none.
  const struct {
    TRowImages images;
    TRowIcon brokenIcon;
    int brokenIndex;
    TRowIcon fineIcon;
  } cases[] = {
      {{true, false}, TRowIcon::device, 7, TRowIcon::device},
      {{true, true}, TRowIcon::deviceClass, 3, TRowIcon::none},
      {{false, false}, TRowIcon::deviceClass, 3, TRowIcon::none},
  };
  for (const auto& c : cases) {
    results.RefreshResults(c.images);
    EXPECT_EQ(results.Outdated()[0].icon, c.brokenIcon);
    EXPECT_EQ(results.Outdated()[0].iconIndex, c.brokenIndex);
    EXPECT_EQ(results.UpToDate()[0].icon, c.fineIcon);
  }
}

TEST_F(ResultsPages, SelectionDrivesUpdateAll) {
  Add({"PCI\\A", "Display adapters", "Graphics", "2.0"});
  Add({"PCI\\B", "Network", "Ethernet", "2.0"});
  Add({"PCI\\E", "USB", "Hub", ""});
  results.RefreshResults(images);
  const TRowKey second = results.Outdated()[1].key;
  const TRowKey hub = results.UpToDate()[0].key;
  EXPECT_FALSE(results.AnyDeviceSelected());
  EXPECT_TRUE(results.ToggleSelection(second));
  EXPECT_TRUE(results.DeviceOf(second)->bSelected);
  EXPECT_TRUE(results.AnyDeviceSelected());
  EXPECT_EQ(strings.Load(UpdateAllHintId(results.AnyDeviceSelected())), "Update all selected devices");
  EXPECT_FALSE(results.ToggleSelection(second));
  EXPECT_FALSE(results.AnyDeviceSelected());
  EXPECT_EQ(strings.Load(UpdateAllHintId(false)), "Use checkboxes to select drivers to update");
  // An up-to-date row has no selection.
  EXPECT_FALSE(results.ToggleSelection(hub));
  EXPECT_FALSE(results.DeviceOf(hub)->bSelected);

  EXPECT_EQ(results.DeviceOf(hub)->strName, "Hub");
  // Keys no row has: a device of the other list, an unknown id, a second device with the id.
  const TRowKey strangers[] = {{TResultList::outdated, "PCI\\E"},
                               {TResultList::upToDate, "PCI\\A"},
                               {TResultList::outdated, "PCI\\X"},
                               {TResultList::outdated, "PCI\\A", 1}};
  for (const TRowKey& key : strangers) EXPECT_EQ(results.DeviceOf(key), nullptr) << key.hid;
}

// A scan frees the records the rows name, whatever its outcome (a stopped scan
// reloads the stored result into new records): no row may reach them afterwards.
TEST_F(ResultsPages, AnEndedScanDropsTheRowsAndRebuildsBothLists) {
  Add({"PCI\\A", "network", "Ethernet", "2.0"});
  Add({"PCI\\E", "USB", "Hub", ""});
  results.RefreshResults(images);
  const TRowKey ethernet = results.Outdated()[0].key;
  const TRowKey hub = results.UpToDate()[0].key;
  results.MarkStale();
  model.RemoveAll();
  results.ScanEnded();
  EXPECT_EQ(results.DeviceOf(ethernet), nullptr);
  EXPECT_EQ(results.DeviceOf(hub), nullptr);
  EXPECT_FALSE(results.ToggleSelection(ethernet));
  EXPECT_FALSE(results.AnyDeviceSelected());
  EXPECT_EQ(results.OnShow(), TResultsShowAction::refreshAll);
  Add({"PCI\\B", "Display", "Graphics", "2.0"});
  results.RefreshResults(images);
  EXPECT_EQ(Names(results.Outdated()), (std::vector<std::string>{"Graphics"}));
  EXPECT_TRUE(results.UpToDate().empty());
}

// While a scan runs its worker replaces the data model's records: no row
// action, Include or refill may reach them until the scan's completion step.
TEST_F(ResultsPages, NothingReachesTheDataModelWhileAScanRuns) {
  Add({"PCI\\A", "network", "Ethernet", "2.0"});
  Add({"PCI\\B", "Audio", "Speakers", ""}).nIgnored = 1;
  results.RefreshResults(images);
  TIgnoredPresenter ignored(model, fixture.machine.locale, fixture.machine.strings, results);
  ignored.Fill();
  ignored.SetChecked(0, true);
  const TRowKey ethernet = results.Outdated()[0].key;

  results.ScanStarted();
  results.MarkStale();
  EXPECT_EQ(results.DeviceOf(ethernet), nullptr);
  EXPECT_FALSE(results.ToggleSelection(ethernet));
  EXPECT_FALSE(model.GetDevice("PCI\\A")->bSelected);
  EXPECT_EQ(results.OnShow(), TResultsShowAction::none);
  EXPECT_FALSE(ignored.IncludeEnabled());
  EXPECT_FALSE(ignored.View().includeEnabled);
  ignored.Include();
  EXPECT_EQ(model.GetIgnoredDrivers(), 1);
  ASSERT_EQ(ignored.Rows().size(), 1u);
  // Showing the ignored page keeps its rows, unchecked as the list shows them again.
  const int fill = ignored.View().fill;
  ignored.Fill();
  EXPECT_EQ(ignored.View().fill, fill + 1);
  ASSERT_EQ(ignored.Rows().size(), 1u);
  EXPECT_FALSE(ignored.Rows()[0].checked);

  const TResultsView before = results.View();
  results.ScanEnded();
  const TResultsView after = results.View();
  EXPECT_TRUE(after.outdated.rows.empty());
  EXPECT_TRUE(after.upToDate.rows.empty());
  EXPECT_NE(after.outdated.build, before.outdated.build);
  EXPECT_NE(after.upToDate.build, before.upToDate.build);
  EXPECT_EQ(results.OnShow(), TResultsShowAction::refreshAll);
  results.RefreshResults(images);
  EXPECT_TRUE(results.ToggleSelection(results.Outdated()[0].key));
  ignored.SetChecked(0, true);
  EXPECT_TRUE(ignored.IncludeEnabled());
}

// A row's action names its device by hardware id: a device the rebuilt rows or
// the data model no longer hold is not acted on.
TEST_F(ResultsPages, AnActionOnAVanishedDeviceDoesNothing) {
  Add({"PCI\\A", "network", "Ethernet", "2.0"});
  Add({"PCI\\C", "Display", "Graphics", "2.0"});
  results.RefreshResults(images);
  const TRowKey ethernet = results.Outdated()[1].key;
  ASSERT_EQ(ethernet.hid, "PCI\\A");

  model.ExcludeDevice(*results.DeviceOf(ethernet), deviSameName);
  results.RefreshOutdatedList(images);
  EXPECT_EQ(results.DeviceOf(ethernet), nullptr);
  EXPECT_FALSE(results.ToggleSelection(ethernet));
  EXPECT_FALSE(model.GetDevice("PCI\\A")->bSelected);

  const TRowKey graphics = results.Outdated()[0].key;
  model.RemoveAll();
  EXPECT_EQ(results.DeviceOf(graphics), nullptr);
  EXPECT_FALSE(results.ToggleSelection(graphics));
  EXPECT_FALSE(results.View().outdated.rows[0].selected);
}

// Identical devices share a hardware id; each row still acts on its own record.
TEST_F(ResultsPages, RowsOfIdenticalDevicesActOnTheirOwnRecords) {
  TDeviceProperties& first = Add({"USB\\CAM", "Cameras", "Camera", "2.0"});
  TDeviceProperties& second = Add({"USB\\CAM", "Cameras", "Camera", "2.0"});
  results.RefreshResults(images);
  ASSERT_EQ(results.Outdated().size(), 2u);
  const TRowKey a = results.Outdated()[0].key;
  const TRowKey b = results.Outdated()[1].key;
  EXPECT_NE(a, b);
  EXPECT_NE(results.DeviceOf(a), results.DeviceOf(b));
  EXPECT_TRUE(results.ToggleSelection(b));
  EXPECT_TRUE(results.DeviceOf(b)->bSelected);
  EXPECT_FALSE(results.DeviceOf(a)->bSelected);
  EXPECT_TRUE(first.bSelected != second.bSelected);
}

// Open shows the package folder recorded for the clicked row's own record. Two records
// share a hardware id; the clicked one's driver id names a program elsewhere, or its
// record names a folder that has become a link: nothing is opened for it, and the other
// record's folder is never taken for it.
TEST_F(ResultsPages, OpenShowsTheClickedRecordsOwnFolderOrNothing) {
  namespace fs = std::filesystem;
  TDataManager engine(model, fixture.machine.Ports());
  const std::string downloads = fixture.folder.File("Downloads");
  model.SetDownloadLocation(downloads);
  const std::string program = fixture.folder.File("Public/x.exe");
  fixture.folder.Write("Public/x.exe", "a program of the user's");
  fixture.folder.Write("Downloads/11/driver.zip", "package");
  ASSERT_TRUE(StorePackagePlace(fixture.machine.registry, "11", TPackagePlace{JoinPath(downloads, "11"), true, "driver.zip"}));

  TDeviceProperties& other = Add({"USB\\CAM", "Cameras", "Camera", "2.0"});
  TDeviceProperties& clicked = Add({"USB\\CAM", "Cameras", "Camera", "2.0"});
  other.strDriverDBId = "11";
  results.RefreshResults(images);
  ASSERT_EQ(results.Outdated().size(), 2u);
  const TRowKey clickedRow =
      results.DeviceOf(results.Outdated()[0].key) == &clicked ? results.Outdated()[0].key : results.Outdated()[1].key;
  const TRowKey otherRow =
      results.DeviceOf(results.Outdated()[0].key) == &other ? results.Outdated()[0].key : results.Outdated()[1].key;

  const struct {
    const char* name;
    std::function<void()> arrange;
    std::string opened;
  } cases[] = {
      {"a driver id naming a program", [&] { clicked.strDriverDBId = program; }, ""},
      {"a driver id naming a program, with a record under that name", [&] {
         clicked.strDriverDBId = program;
         StorePackagePlace(fixture.machine.registry, program, TPackagePlace{fixture.folder.File("Public"), false, "x.exe"});
       }, ""},
      {"a plain driver id without a record", [&] { clicked.strDriverDBId = "22"; }, ""},
      {"a record whose folder is now a link to the program's folder", [&] {
         clicked.strDriverDBId = "22";
         fs::create_directory_symlink(fixture.folder.File("Public"), JoinPath(downloads, "22"));
         StorePackagePlace(fixture.machine.registry, "22", TPackagePlace{JoinPath(downloads, "22"), true, "x.exe"});
       }, ""},
      {"its own recorded folder", [&] {
         clicked.strDriverDBId = "33";
         fixture.folder.Write("Downloads/33/setup.exe", "package");
         StorePackagePlace(fixture.machine.registry, "33", TPackagePlace{JoinPath(downloads, "33"), true, "setup.exe"});
       }, JoinPath(downloads, "33")},
  };
  for (const auto& c : cases) {
    c.arrange();
    EXPECT_EQ(results.FolderToOpen(clickedRow, engine), c.opened) << c.name;
  }
  EXPECT_EQ(results.FolderToOpen(otherRow, engine), JoinPath(downloads, "11"));
  // The menu asks about the clicked record too, not the first with its hardware id.
  EXPECT_EQ(engine.IsDownloadAvailable(clicked), 1);
  EXPECT_EQ(engine.IsDownloadAvailable(other), 2);
}

// What the page applies: the count text's fitting, Update All, and which list a refresh rebuilds.
TEST_F(ResultsPages, ViewFollowsRefreshesAndSelection) {
  Add({"PCI\\A", "network", "Ethernet", "2.0"});
  Add({"PCI\\E", "USB", "Hub", ""});
  TResultsView view = results.View();
  EXPECT_EQ(view.countText, "0 Available drivers found");
  EXPECT_FALSE(view.countFitted);
  EXPECT_FALSE(view.updateAllEnabled);
  EXPECT_EQ(view.updateAllHint, "Use checkboxes to select drivers to update");

  results.RefreshResults(images);
  view = results.View();
  EXPECT_EQ(view.countText, "1 Available drivers found");
  EXPECT_EQ(view.outdatedCaption, "Devices with outdated drivers (1)");
  EXPECT_TRUE(view.countFitted);
  EXPECT_TRUE(view.outdated.openWhenBuilt);
  EXPECT_FALSE(view.upToDate.openWhenBuilt);
  EXPECT_EQ(view.outdated.rows, results.Outdated());

  const TRowKey ethernet = results.Outdated()[0].key;
  results.ToggleSelection(ethernet);
  view = results.View();
  EXPECT_TRUE(view.outdated.rows[0].selected);
  EXPECT_TRUE(view.updateAllEnabled);
  EXPECT_EQ(view.updateAllHint, "Update all selected devices");

  // A rebuild keeps Update All as it was; showing the page makes it follow the selection.
  results.DeviceOf(ethernet)->bSelected = false;
  const int upToDateBuild = view.upToDate.build;
  results.RefreshOutdatedList(images);
  view = results.View();
  EXPECT_FALSE(view.countFitted);
  EXPECT_EQ(view.upToDate.build, upToDateBuild);
  EXPECT_TRUE(view.updateAllEnabled);
  results.FollowSelection();
  EXPECT_FALSE(results.View().updateAllEnabled);
}

TEST(DeviceMenu, EntriesPerRowKind) {
  const auto entries = [](bool enabled, bool visible) { return std::pair{enabled, visible}; };
  const struct {
    bool outdated, download, vista;
    std::pair<bool, bool> deleteOpen, ignore;
  } cases[] = {
      {true, true, true, entries(true, true), entries(true, true)},
      {true, false, true, entries(false, true), entries(true, true)},
      {true, false, false, entries(false, false), entries(true, true)},
      {false, true, true, entries(true, true), entries(false, true)},
      {false, false, false, entries(false, false), entries(false, false)},
  };
  for (const auto& c : cases) {
    const auto menu = DeviceMenuEntries(strings, c.outdated, c.download, c.vista);
    ASSERT_EQ(menu.size(), size_t{menuItemCount});
    EXPECT_EQ(menu[menuDetails], (TMenuEntry{"View details", true, true}));
    EXPECT_EQ(menu[menuDelete], (TMenuEntry{"Delete downloaded update", c.deleteOpen.first, c.deleteOpen.second}));
    EXPECT_EQ(menu[menuOpen], (TMenuEntry{"Open file location", c.deleteOpen.first, c.deleteOpen.second}));
    EXPECT_EQ(menu[menuIgnore], (TMenuEntry{"Ignore update", c.ignore.first, c.ignore.second}));
    EXPECT_EQ(menu[menuUninstall], (TMenuEntry{"Uninstall device", true, true}));
  }
  // By tag: an up-to-date row offers no "Ignore update".
  TSimDataModelFixture fixture;
  TProblemTexts texts(fixture.machine.strings);
  TResultsPresenter results(fixture.Create(), fixture.machine.locale, fixture.machine.strings, texts);
  const TRowKey outdatedRow{TResultList::outdated, "PCI\\A"};
  const TRowKey upToDateRow{TResultList::upToDate, "PCI\\A"};
  EXPECT_TRUE(results.MenuFor(outdatedRow, false, true)[menuIgnore].enabled);
  EXPECT_FALSE(results.MenuFor(upToDateRow, false, true)[menuIgnore].enabled);
  EXPECT_FALSE(results.MenuFor(upToDateRow, false, false)[menuIgnore].visible);
}

TEST(CountText, EllipsisFiveBeforeTheRescanButton) {
  const struct {
    int left, width, rescanLeft;
    TCountTextFit fit;
  } cases[] = {
      {200, 300, 600, {true, 0, false}},
      {200, 394, 600, {true, 0, false}},
      {200, 395, 600, {false, 395, true}},
      {200, 500, 600, {false, 395, true}},
  };
  for (const auto& c : cases) {
    const TCountTextFit fit = FitCountText(c.left, c.width, c.rescanLeft);
    EXPECT_EQ(fit.autoSize, c.fit.autoSize) << c.width;
    EXPECT_EQ(fit.ellipsis, c.fit.ellipsis) << c.width;
    if (!c.fit.autoSize) {
      EXPECT_EQ(fit.width, c.fit.width) << c.width;
    }
  }
}

TEST(DialogTexts, NameFilledIn) {
  EXPECT_EQ(FormatWithName(strings.Load(IDS_IGNORE_DEVICE_TITLE), "Hub"), "Ignore Hub");
  EXPECT_EQ(FormatWithName(strings.Load(IDS_UNINSTALL_DEVICE_QUESTION), "100%s"), "Do you want to uninstall this device?\r\n100%s");
  EXPECT_EQ(IgnoredPageText(strings),
            "Ignored devices will not be checked for driver updates. This allows you to keep a specific driver for "
            "a device when needed.\r\n\r\nIf you want to include a device for driver update checks again, select it "
            "in the list below and click the 'Include' button.");
}

TEST_F(ResultsPages, IgnoredListIncludesCheckedDevices) {
  Add({"PCI\\A", "network", "Ethernet", "2.0"}).nIgnored = 1;
  Add({"PCI\\A", "network", "Ethernet", "2.0"}).nIgnored = 1;  // same hardware id: one row
  Add({"PCI\\B", "Audio", "Speakers", ""}).nIgnored = 1;
  Add({"PCI\\C", "Display", "Graphics", "2.0"}).nIgnored = 1;
  Add({"PCI\\D", "USB", "Hub", "2.0"});
  results.RefreshResults(images);

  TIgnoredPresenter ignored(model, fixture.machine.locale, fixture.machine.strings, results);
  ignored.Fill();
  ASSERT_EQ(ignored.Rows().size(), 3u);
  EXPECT_EQ(ignored.Rows()[0].name, "Speakers");
  EXPECT_EQ(ignored.Rows()[1].name, "Graphics");
  EXPECT_EQ(ignored.Rows()[2].name, "Ethernet");
  EXPECT_EQ(ignored.Rows()[2].version, "1.0");
  EXPECT_FALSE(ignored.IncludeEnabled());

  ignored.SetChecked(0, true);
  EXPECT_TRUE(ignored.IncludeEnabled());
  ignored.SetChecked(0, false);
  EXPECT_FALSE(ignored.IncludeEnabled());

  ignored.SetChecked(0, true);
  ignored.SetChecked(2, true);
  EXPECT_EQ(ignored.CountChecked(), 2);
  ignored.Include();
  ASSERT_EQ(ignored.Rows().size(), 1u);
  EXPECT_EQ(ignored.Rows()[0].name, "Graphics");
  EXPECT_FALSE(ignored.IncludeEnabled());
  // Both records with the same id and name are included.
  EXPECT_EQ(model.GetIgnoredDrivers(), 1);
  EXPECT_EQ(results.OnShow(), TResultsShowAction::refreshOutdated);
  results.RefreshOutdatedList(images);
  EXPECT_EQ(Names(results.Outdated()), (std::vector<std::string>{"Ethernet", "Ethernet", "Hub"}));
}

TEST_F(ResultsPages, IncludingADeviceNoLongerInTheModelJustRemovesItsRow) {
  Add({"PCI\\A", "network", "Ethernet", "2.0"}).nIgnored = 1;
  TIgnoredPresenter ignored(model, fixture.machine.locale, fixture.machine.strings, results);
  ignored.Fill();
  model.RemoveAll();
  ignored.SetChecked(0, true);
  ignored.Include();
  EXPECT_TRUE(ignored.Rows().empty());
  EXPECT_FALSE(ignored.IncludeEnabled());
}

}  // namespace
