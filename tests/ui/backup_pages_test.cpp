// The backup and restore pages' decisions on a simulated machine: the device
// tree and the backup list, the progress page through a run and a stop in the
// middle of a device, the restore list, restore with its restart, delete, and
// the choice of the backup location.
#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "core/message_box_kinds.h"
#include "core/paths.h"
#include "engine/backup_record.h"
#include "engine/data_manager.h"
#include "res/string_ids.h"
#include "support/sim_data_model.h"
#include "ui/backup_folder_choice.h"
#include "ui/backup_presenter.h"
#include "ui/backup_tree.h"
#include "ui/callback_relay.h"
#include "ui/scan_callback_view.h"
#include "ui/plain_loop.h"
#include "ui/restore_presenter.h"
#include "ui/worker_task.h"

namespace fs = std::filesystem;

namespace {

struct TDeviceFacts {
  std::string classGuid;
  std::string classDescription;
  std::string name;
  int32_t image = 0;
  std::string version = "1.0";
};

class BackupPages : public ::testing::Test {
 protected:
  BackupPages() : model(fixture.Create()) {
    model.SetBackupLocation(JoinPath(fixture.folder.Path(), "Backups"));
  }

  TDeviceProperties& Add(const TDeviceFacts& facts) {
    auto device = std::make_unique<TDeviceProperties>();
    device->strHID = "PCI\\" + facts.name;
    device->strClassGUID = facts.classGuid;
    device->strClassDescription = facts.classDescription;
    device->strName = facts.name;
    device->nDeviceImage = facts.image;
    device->strVersion = facts.version;
    TDeviceProperties& added = *device;
    model.AddDevice(std::move(device));
    return added;
  }
  std::string Text(int id) { return fixture.machine.strings.Load(id); }

  TSimDataModelFixture fixture;
  TDriverDatamodel& model;
};

// The tree as lines: two spaces a level, text and image.
void Flatten(const TBackupTreeNode& node, int level, std::vector<std::string>& lines) {
  lines.push_back(std::string(static_cast<size_t>(level) * 2, ' ') + node.text + " #" + std::to_string(node.image) +
                  (node.device ? " *" : ""));
  for (const TBackupTreeNode& child : node.children) Flatten(child, level + 1, lines);
}

// A class node takes the description and image of its first device in the
// device list (ordered by hardware id): Beamer and ethernet here.
TEST_F(BackupPages, TreeGroupsByClassNameSortsEveryLevelAndFollowsTheUnpluggedSetting) {
  Add({"Net", "network adapters", "Wi-Fi", 4});
  Add({"Display", "Display adapters", "Graphics", 7});
  Add({"Net", "Network adapters (other)", "ethernet", 5});
  Add({UNPLUGGED_DEVICES_CLASS, "Unplugged Devices", "Old mouse", 9});
  Add({"Display", "Display adapters", "Beamer", 8});
  struct TCase {
    bool showUnplugged;
    std::vector<std::string> lines;
  };
  const TCase cases[] = {
      {true,
       {"PC (Windows 11) #30", "  Display adapters #8", "    Beamer #8 *", "    Graphics #7 *",
        "  Network adapters (other) #5", "    ethernet #5 *", "    Wi-Fi #4 *", "  Unplugged Devices #9",
        "    Old mouse #9 *"}},
      {false,
       {"PC (Windows 11) #30", "  Display adapters #8", "    Beamer #8 *", "    Graphics #7 *",
        "  Network adapters (other) #5", "    ethernet #5 *", "    Wi-Fi #4 *"}},
  };
  for (const TCase& c : cases) {
    const TBackupTreeFacts facts{"PC", "Windows 11", 30, c.showUnplugged};
    std::vector<std::string> lines;
    Flatten(BuildBackupTree(model.DeviceList(), facts, fixture.machine.locale), 0, lines);
    EXPECT_EQ(lines, c.lines) << "showUnplugged " << c.showUnplugged;
  }
}

TEST_F(BackupPages, BackupListDropsOnlyDevicesSharingABackupFolder) {
  TDeviceProperties& first = Add({"Net", "Network", "Adapter", 0, "1.0"});
  TDeviceProperties& sameFolder = Add({"Net", "Network", "ADAPTER", 0, "1.0"});
  TDeviceProperties& otherVersion = Add({"Net", "Network", "Adapter", 0, "2.0"});
  TDeviceProperties& cleaned = Add({"Net", "Network", "Adapter?", 0, "2.0"});
  TDeviceProperties& cleanedTwin = Add({"Net", "Network", "Adapter*", 0, "2.0"});
  const TDriverMap list = BackupListOf({&first, &sameFolder, &otherVersion, &cleaned, &cleanedTwin},
                                       model.BackupLocation(), fixture.machine.locale);
  EXPECT_EQ(list, (TDriverMap{&first, &otherVersion, &cleaned}));
}

TEST_F(BackupPages, BackupButtonNeedsATickAndNoOtherRun) {
  TBackupPresenter presenter(model, fixture.machine.strings);
  EXPECT_FALSE(presenter.PageView(false, false).backupEnabled);
  EXPECT_TRUE(presenter.PageView(true, false).backupEnabled);
  EXPECT_FALSE(presenter.PageView(true, true).backupEnabled);
  const TBackupPageView view = presenter.PageView(true, false);
  EXPECT_EQ(view.path, model.BackupLocation());
  EXPECT_EQ(view.backupCaption, "&Backup");
  presenter.RunStarting(1, model.BackupLocation());
  EXPECT_FALSE(presenter.PageView(true, false).backupEnabled);
}

// One step of a run as the window sees it.
enum class TStep { start, device, deviceOk, deviceFailed, stop, finishOk, finishFailed, taskEnd, taskRaised };

TEST_F(BackupPages, ProgressPageThroughARun) {
  struct TCase {
    const char* name;
    std::vector<TStep> steps;
    std::string deviceText;
    bool barShown;
    int barPosition;
    std::vector<std::string> messages;
  };
  const std::string location = model.BackupLocation();
  const TCase cases[] = {
      {"success", {TStep::start, TStep::device, TStep::deviceOk, TStep::device, TStep::deviceOk, TStep::finishOk,
                   TStep::taskEnd}, "Backup finished", true, 2, {}},
      {"cancel", {TStep::start, TStep::device, TStep::stop, TStep::device, TStep::deviceFailed, TStep::finishOk,
                  TStep::taskEnd}, "Backup canceled", false, 1, {}},
      {"failed device", {TStep::start, TStep::device, TStep::deviceFailed, TStep::finishFailed, TStep::taskEnd},
       "Backup failed", true, 1, {"Backup failed.\r\nDisk"}},
      {"missing location", {TStep::finishFailed, TStep::taskEnd},
       "The backup folder could not be created: " + location, false, 0, {}},
      {"raised run", {TStep::start, TStep::taskRaised}, "Backup failed", true, 0, {"settings not writable"}},
  };
  TBackupPresenter presenter(model, fixture.machine.strings);
  for (const TCase& c : cases) {
    // Every run starts from a reset page, whatever the last one left.
    presenter.RunStarting(2, location);
    EXPECT_EQ(presenter.ProgressView().stopCaption, "&Stop Backup") << c.name;
    EXPECT_EQ(presenter.ProgressView().deviceText, "") << c.name;
    EXPECT_FALSE(presenter.ProgressView().barShown) << c.name;
    std::vector<std::string> messages;
    for (TStep step : c.steps) {
      std::optional<std::string> message;
      switch (step) {
        case TStep::start: presenter.Started(); break;
        case TStep::device: presenter.DeviceStarted("Disk"); break;
        case TStep::deviceOk: message = presenter.DeviceEnded("Disk", true); break;
        case TStep::deviceFailed: message = presenter.DeviceEnded("Disk", false); break;
        case TStep::stop:
          presenter.StopAsked();
          EXPECT_EQ(presenter.ProgressView().deviceText, "Cancelling backup...") << c.name;
          EXPECT_FALSE(presenter.ProgressView().stopEnabled) << c.name;
          break;
        case TStep::finishOk: presenter.Finished(true); break;
        case TStep::finishFailed: presenter.Finished(false); break;
        case TStep::taskEnd: message = presenter.TaskEnded(std::nullopt); break;
        case TStep::taskRaised: message = presenter.TaskEnded(std::string("settings not writable")); break;
      }
      if (message) messages.push_back(*message);
    }
    const TBackupProgressView& view = presenter.ProgressView();
    EXPECT_EQ(view.deviceText, c.deviceText) << c.name;
    EXPECT_EQ(view.barShown, c.barShown) << c.name;
    EXPECT_EQ(view.barPosition, c.barPosition) << c.name;
    EXPECT_EQ(view.barMax, 2) << c.name;
    EXPECT_EQ(view.stopCaption, "OK") << c.name;
    EXPECT_TRUE(view.stopEnabled) << c.name;
    EXPECT_FALSE(presenter.Running()) << c.name;
    EXPECT_EQ(messages, c.messages) << c.name;
  }
}

// A fault for the backup run: the device tree's file-queue scan holds after
// its first file until it is released, so a stop lands in the middle of a device.
class THoldingDeviceTree : public TSimDeviceTree {
 public:
  bool ScanFileQueue(TFileQueue queue, uint32_t flags, const TQueueScanCallback& onTarget,
                     uint32_t* result) override {
    bool first = true;
    return TSimDeviceTree::ScanFileQueue(
        queue, flags,
        [&](const std::string& target) {
          const bool goOn = onTarget(target);
          if (first) {
            first = false;
            std::unique_lock lock(m_mutex);
            m_held = true;
            m_changed.notify_all();
            m_changed.wait(lock, [this] { return m_released; });
          }
          return goOn;
        },
        result);
  }
  bool Held() {
    std::lock_guard lock(m_mutex);
    return m_held;
  }
  void Release() {
    std::lock_guard lock(m_mutex);
    m_released = true;
    m_changed.notify_all();
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  bool m_held = false;
  bool m_released = false;
};

// The window's backup callbacks as the backup controller shows them; the download and
// install notifications show nothing here.
class TPresentingView : public TScanCallbackView {
 public:
  explicit TPresentingView(TBackupPresenter& presenter) : m_presenter(presenter) {}
  void ShowScanningDevice(const std::string&) override {}
  void ShowCheckingForUpdates() override {}
  void ShowServerProblem() override {}
  TActiveAction ActiveAction() const override { return TActiveAction::aclBackup; }
  void ShowBackupStart() override { m_presenter.Started(); }
  void ShowDriverBackupStart(const std::string& deviceName) override {
    m_presenter.DeviceStarted(deviceName);
    devicesStarted.push_back(deviceName);
  }
  void ShowDriverBackupEnd(const std::string& deviceName, bool success) override {
    if (auto message = m_presenter.DeviceEnded(deviceName, success)) messages.push_back(*message);
  }
  void ShowBackupEnd(bool success, bool) override { m_presenter.Finished(success); }

  std::vector<std::string> devicesStarted, messages;

 private:
  TBackupPresenter& m_presenter;
};

// Stop pressed while a device's files are being copied: the page says
// "Cancelling backup..." with the stop disabled until the run ends, then
// "Backup canceled"; the half-made folder is gone and the next device is not started.
TEST_F(BackupPages, StopInTheMiddleOfADeviceEndsCanceled) {
  THoldingDeviceTree tree;
  const std::string windows = JoinPath(fixture.folder.Path(), "Windows");
  tree.systemDirectory = JoinPath(windows, "System32");
  tree.AddClass("{4d36e97d-e325-11ce-bfc1-08002be10318}", "System", "System devices");
  std::vector<TDeviceProperties> records;
  for (const std::string name : {"Disk", "Pad"}) {
    const std::string hardwareId = "ROOT\\" + name;
    const std::string inf = "oem_" + name + ".inf";
    fixture.folder.Write("Windows/INF/" + inf,
                         "[Version]\r\nSignature=\"$WINDOWS NT$\"\r\nDriverVer=03/04/2021,1.0.0.0\r\n\r\n"
                         "[Manufacturer]\r\n%Mfg%=Models,NTamd64\r\n\r\n[Models.NTamd64]\r\n%Desc%=Test_Install," +
                             hardwareId + "\r\n\r\n[Test_Install]\r\nCopyFiles=Test_Files\r\n\r\n[Test_Files]\r\n" +
                             name + "1.sys\r\n" + name + "2.sys\r\n\r\n[Strings]\r\nMfg=\"Quorvane\"\r\nDesc=\"" +
                             name + "\"\r\n");
    TSimDriver driver;
    driver.infPath = JoinPath(JoinPath(windows, "INF"), inf);
    driver.section = "Test_Install";
    driver.version = 0x0001000000000000ULL;
    driver.hardwareIds = {hardwareId};
    for (const std::string& file : {name + "1.sys", name + "2.sys"}) {
      fixture.folder.Write("Windows/System32/drivers/" + file, "contents of " + file);
      driver.files.push_back(JoinPath(JoinPath(tree.systemDirectory, "drivers"), file));
    }
    TSimDevice device;
    device.instanceId = hardwareId + "\\0000";
    device.classGuid = GuidFromText("{4d36e97d-e325-11ce-bfc1-08002be10318}");
    device.description = name;
    device.hardwareIds = {hardwareId};
    device.driver = driver;
    tree.AddDevice(device);
    TDeviceProperties record;
    record.strName = name;
    record.strHID = hardwareId;
    record.strClassGUID = "System";
    record.strVersion = "1.0.0.0";
    records.push_back(record);
  }
  fs::create_directories(ToPath(model.BackupLocation()));
  TSimMachine& m = fixture.machine;
  TDataManager engine(model, TSystemPorts{m.registry, m.osVersion, m.shell, m.processes, m.power, m.locale,
                                          m.fileSystem, m.hashing, m.strings, tree, m.imageLists, m.moduleVersion,
                                          m.internet, m.systemRestore, m.threadWait, m.firmware, m.hardware,
                                          m.scheduler});
  const TDriverMap list{&records[0], &records[1]};
  const std::string diskFolder = JoinPath(model.BackupLocation(), "Disk - 1.0.0.0");

  TPlainLoop loop;
  TCallbackDispatcher dispatcher(loop);
  TBackupPresenter presenter(model, fixture.machine.strings);
  TPresentingView view(presenter);
  TCallbackRelay relay(dispatcher, view);
  presenter.RunStarting(2, model.BackupLocation());
  bool ended = false;
  TWorkerTask task(
      dispatcher, [&] { engine.Backup(list, &relay); },
      [&] {
        if (auto message = presenter.TaskEnded(std::nullopt)) view.messages.push_back(*message);
        ended = true;
      });
  // Bounded waits: a run that never reaches the hold fails here instead of hanging.
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  const auto waitFor = [&](const std::function<bool()>& done) {
    loop.RunUntil([&] { return done() || std::chrono::steady_clock::now() > limit; }, std::chrono::milliseconds(10));
  };
  waitFor([&] { return tree.Held(); });
  EXPECT_TRUE(tree.Held()) << "the run never reached the file-queue scan";
  loop.RunPending();
  EXPECT_EQ(presenter.ProgressView().deviceText, "Disk");
  EXPECT_TRUE(presenter.ProgressView().stopEnabled);
  EXPECT_TRUE(fs::exists(ToPath(JoinPath(diskFolder, "Disk1.sys"))));

  // aclStopBackupExecute.
  presenter.StopAsked();
  relay.CancelBackup();
  engine.BackupCancel();
  EXPECT_EQ(presenter.ProgressView().deviceText, "Cancelling backup...");
  EXPECT_FALSE(presenter.ProgressView().stopEnabled);
  tree.Release();
  waitFor([&] { return ended; });
  if (!ended) {
    dispatcher.Shutdown();  // releases a worker waiting for this thread, so the task can be joined
    FAIL() << "the run did not end";
  }
  task.Join();

  const TBackupProgressView& end = presenter.ProgressView();
  EXPECT_EQ(end.deviceText, "Backup canceled");
  EXPECT_FALSE(end.barShown);
  EXPECT_EQ(end.stopCaption, "OK");
  EXPECT_TRUE(end.stopEnabled);
  EXPECT_TRUE(view.messages.empty());
  EXPECT_EQ(view.devicesStarted, std::vector<std::string>{"Disk"});
  EXPECT_FALSE(fs::exists(ToPath(diskFolder)));
  EXPECT_FALSE(fs::exists(ToPath(JoinPath(model.BackupLocation(), "Pad - 1.0.0.0"))));
  EXPECT_EQ(tree.OpenSets() + tree.OpenQueues() + tree.OpenKeys(), 0u);
}

// The restore page's host: answers its questions from a script and records
// them, restores through a function, and deletes for real.
class TScriptedHost : public IRestoreHost {
 public:
  int Ask(const std::string& title, const std::string& text, int kind) override {
    asked.push_back(title + "|" + text + "|" + std::to_string(kind));
    return kind == QV_KIND_YES_NO || kind == QV_KIND_DELETE_QUESTION ? answer : ID_OK;
  }
  void SaveScanResults() override { steps.push_back("save"); }
  void RunOnceAtStartupSettings() override { steps.push_back("run once"); }
  TRestoreOutcome RestoreDriver(const std::string& folder, bool allowUnverified, bool& rebootRequired) override {
    restored.push_back(folder + (allowUnverified ? " unverified" : ""));
    return restore(folder, allowUnverified, rebootRequired);
  }
  bool DeleteBackupFolder(const std::string& folder) override {
    std::error_code error;
    return fs::remove_all(ToPath(folder), error) > 0 && !error;
  }

  int answer = ID_YES;
  std::function<TRestoreOutcome(const std::string&, bool, bool&)> restore = [](const std::string&, bool, bool&) {
    return roRestored;
  };
  std::vector<std::string> asked, steps, restored;
};

class RestorePage : public BackupPages {
 protected:
  RestorePage() {
    fs::create_directories(ToPath(JoinPath(model.BackupLocation(), "Disk - 1.0")));
    fs::create_directories(ToPath(JoinPath(model.BackupLocation(), "Adapter - 2.0")));
    fixture.folder.Write("Backups/notes.txt", "not a backup");
    fs::create_directories(ToPath(JoinPath(fixture.folder.Path(), "Elsewhere")));
    fs::create_directory_symlink(ToPath(JoinPath(fixture.folder.Path(), "Elsewhere")),
                                 ToPath(JoinPath(model.BackupLocation(), "Link")));
    // "Disk - 1.0" is a backup the program recorded; "Adapter - 2.0" one made before records.
    StoreBackupRecord(fixture.machine.registry, "Disk - 1.0", {Folder("Disk - 1.0"), std::string(64, 'a')});
  }
  std::string Folder(const std::string& name) { return JoinPath(model.BackupLocation(), name); }

  TRestorePresenter presenter{model, fixture.machine.registry, fixture.machine.strings};
  TScriptedHost host;
};

TEST_F(RestorePage, ListsOnlyRealFoldersOfTheLocationTheFieldShowsAndMarksTheUnverified) {
  model.SetLastBackupLocation(JoinPath(fixture.folder.Path(), "Elsewhere"));
  presenter.SetAutoReboot(true);
  presenter.Enter();
  const TRestoreView& view = presenter.View();
  EXPECT_EQ(view.lines, (std::vector<std::string>{"Adapter - 2.0 (unverified)", "Disk - 1.0"}));
  EXPECT_EQ(view.path, model.BackupLocation());
  EXPECT_FALSE(view.autoReboot);
  EXPECT_FALSE(view.restoreEnabled);
  EXPECT_FALSE(view.deleteEnabled);
  presenter.Select(1);
  EXPECT_TRUE(presenter.View().restoreEnabled);
  EXPECT_TRUE(presenter.View().deleteEnabled);
  presenter.Select(2);
  EXPECT_EQ(presenter.View().selected, -1);
  EXPECT_FALSE(presenter.View().restoreEnabled);
}

TEST_F(RestorePage, RestoreAndItsRestart) {
  const std::string question = Text(IDS_RESTORE_REBOOT_QUESTION);
  struct TCase {
    const char* name;
    bool restored;
    bool rebootRequired;
    bool automatic;
    int answer;
    bool accepts;
    std::vector<std::string> asked;
    std::vector<std::string> steps;
    size_t exitRequests;
  };
  const std::string failed = "Restore Drivers|Driver could not be restored successfully.|6";
  const std::string done = "Restore Drivers|Driver restored successfully.|6";
  const std::string ask = "Restore Drivers|" + question + "|13";
  const std::string refused = "Restore Drivers|Reboot attempt failed. Please reboot manually.|0";
  const TCase cases[] = {
      {"failed", false, false, false, ID_YES, true, {failed}, {}, 0},
      {"no reboot needed", true, false, false, ID_YES, true, {done}, {}, 0},
      {"Yes", true, true, false, ID_YES, true, {done, ask}, {"save", "run once"}, 1},
      {"No", true, true, false, ID_NO, true, {done, ask}, {}, 0},
      {"closed", true, true, false, ID_CANCEL, true, {done, ask}, {}, 0},
      {"automatic", true, true, true, ID_NO, true, {done}, {"save", "run once"}, 1},
      {"refused", true, true, true, ID_YES, false, {done, refused}, {"save", "run once"}, 1},
  };
  for (const TCase& c : cases) {
    TScriptedHost scripted;
    scripted.answer = c.answer;
    scripted.restore = [&](const std::string&, bool, bool& reboot) {
      reboot = c.rebootRequired;
      return c.restored ? roRestored : roFailed;
    };
    fixture.machine.power = TSimPower();
    fixture.machine.power.acceptsExit = c.accepts;
    presenter.Enter();
    presenter.SetAutoReboot(c.automatic);
    presenter.Select(1);
    EXPECT_EQ(presenter.RestoreSelected(scripted, fixture.machine.power), c.exitRequests == 1 && c.accepts)
        << c.name;
    EXPECT_EQ(scripted.restored, (std::vector<std::string>{Folder("Disk - 1.0")})) << c.name;
    EXPECT_EQ(scripted.asked, c.asked) << c.name;
    EXPECT_EQ(scripted.steps, c.steps) << c.name;
    ASSERT_EQ(fixture.machine.power.exitRequests.size(), c.exitRequests) << c.name;
    if (c.exitRequests) {
      EXPECT_EQ(fixture.machine.power.exitRequests[0].flags, 0x12u) << c.name;
      EXPECT_TRUE(fixture.machine.power.privilegeEnabled) << c.name;
    }
  }
}

TEST_F(RestorePage, AFolderWithoutIndexAndAFolderGoneSinceTheListingFail) {
  // The engine's restore: no "index.dat" in the folder, restored as the user allows.
  TDataManager engine(model, fixture.machine.Ports());
  host.restore = [&](const std::string& folder, bool allowUnverified, bool& reboot) {
    return engine.Restore(folder, allowUnverified, reboot);
  };
  presenter.Enter();
  presenter.Select(0);
  EXPECT_FALSE(presenter.RestoreSelected(host, fixture.machine.power));
  fs::remove_all(ToPath(Folder("Disk - 1.0")));
  presenter.Select(1);
  EXPECT_FALSE(presenter.RestoreSelected(host, fixture.machine.power));
  EXPECT_EQ(host.restored,
            (std::vector<std::string>{Folder("Adapter - 2.0"), Folder("Adapter - 2.0") + " unverified"}));
  const std::string failed = "Restore Drivers|Driver could not be restored successfully.|6";
  const std::string question = "Restore Drivers|" + Text(IDS_RESTORE_UNVERIFIED_QUESTION) + "|13";
  EXPECT_EQ(host.asked, (std::vector<std::string>{question, failed, failed}));
  EXPECT_TRUE(fixture.machine.power.exitRequests.empty());
}

// A backup made before backups were checked is restored only after the user says yes; one
// changed since it was made is refused with its own message.
TEST_F(RestorePage, AnUnverifiedBackupAsksFirstAndAChangedOneIsRefused) {
  const std::string question = "Restore Drivers|" + Text(IDS_RESTORE_UNVERIFIED_QUESTION) + "|13";
  const std::string done = "Restore Drivers|Driver restored successfully.|6";
  const std::string changed =
      "Restore Drivers|This backup was changed after it was made and will not be restored.|6";
  const std::string adapter = Folder("Adapter - 2.0");
  struct TCase {
    const char* name;
    TRestoreOutcome checked;  // the engine's answer without leave for an unverified restore
    int answer;
    std::vector<std::string> restored, asked;
  };
  const TCase cases[] = {
      {"unverified, Yes", roUnverified, ID_YES, {adapter, adapter + " unverified"}, {question, done}},
      {"unverified, No", roUnverified, ID_NO, {adapter}, {question}},
      {"unverified, closed", roUnverified, ID_CANCEL, {adapter}, {question}},
      {"changed", roChanged, ID_YES, {adapter}, {changed}},
  };
  for (const TCase& c : cases) {
    TScriptedHost scripted;
    scripted.answer = c.answer;
    scripted.restore = [&](const std::string&, bool allowUnverified, bool&) {
      return allowUnverified ? roRestored : c.checked;
    };
    presenter.Enter();
    presenter.Select(0);
    EXPECT_FALSE(presenter.RestoreSelected(scripted, fixture.machine.power)) << c.name;
    EXPECT_EQ(scripted.restored, c.restored) << c.name;
    EXPECT_EQ(scripted.asked, c.asked) << c.name;
  }
}

TEST_F(RestorePage, DeleteAsksFirstAndRemovesOnlyTheListedFolder) {
  const std::string question = "Quorvane|Are you sure, you want to delete the driver backup?|36";
  presenter.Enter();
  presenter.Select(0);
  host.answer = ID_NO;
  presenter.DeleteSelected(host);
  EXPECT_TRUE(fs::exists(ToPath(Folder("Adapter - 2.0"))));
  host.answer = ID_YES;
  presenter.DeleteSelected(host);
  EXPECT_FALSE(fs::exists(ToPath(Folder("Adapter - 2.0"))));
  EXPECT_EQ(presenter.View().lines, (std::vector<std::string>{"Disk - 1.0"}));
  EXPECT_EQ(presenter.View().selected, -1);
  EXPECT_FALSE(presenter.View().deleteEnabled);
  // A listed folder replaced by a link since the listing is not followed.
  presenter.Select(0);
  fs::remove_all(ToPath(Folder("Disk - 1.0")));
  fs::create_directory_symlink(ToPath(JoinPath(fixture.folder.Path(), "Elsewhere")), ToPath(Folder("Disk - 1.0")));
  fixture.folder.Write("Elsewhere/keep.txt", "kept");
  presenter.DeleteSelected(host);
  EXPECT_EQ(fixture.folder.Read("Elsewhere/keep.txt"), "kept");
  EXPECT_EQ(host.asked,
            (std::vector<std::string>{question, question, "Quorvane|The driver backup was successfully deleted.|6",
                                      question,
                                      "Quorvane|The driver backup could not be deleted.\r\nPlease try again, or "
                                      "check the Backup folder manually.|6"}));
}

class TPickerAnswer : public IFolderPicker {
 public:
  explicit TPickerAnswer(std::optional<std::string> answer) : m_answer(std::move(answer)) {}
  std::optional<std::string> ChooseFolder(const std::string& start) override {
    started = start;
    return m_answer;
  }
  std::string started;

 private:
  std::optional<std::string> m_answer;
};

TEST_F(BackupPages, FolderChoiceTakesOnlyADifferentFolderAndOnlyTheBackupPageSaves) {
  const std::string location = model.BackupLocation();
  const std::string other = JoinPath(fixture.folder.Path(), "Other");
  struct TCase {
    std::optional<std::string> answer;
    TFolderChoicePage page;
    bool changed;
    bool saved;
  };
  const TCase cases[] = {
      {std::nullopt, TFolderChoicePage::backup, false, false},
      {location, TFolderChoicePage::backup, false, false},
      {other, TFolderChoicePage::backup, true, true},
      {other, TFolderChoicePage::restore, true, false},
  };
  for (const TCase& c : cases) {
    model.SetBackupLocation(location);
    fs::remove(ToPath(model.SettingsFileName()));
    TPickerAnswer picker(c.answer);
    EXPECT_EQ(ChangeBackupLocation(picker, model, c.page), c.changed);
    EXPECT_EQ(picker.started, location);
    EXPECT_EQ(model.BackupLocation(), c.changed ? other : location);
    EXPECT_EQ(fs::exists(ToPath(model.SettingsFileName())), c.saved);
  }
}

}  // namespace
