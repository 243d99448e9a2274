// Driver backup, restore, the Plug and Play installer and device removal on the
// simulated machine, whose system folder and driver files are a temp folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "core/paths.h"
#include "engine/backup_manifest.h"
#include "engine/backup_record.h"
#include "engine/backup_staging.h"
#include "engine/driver_backup_files.h"
#include "engine/work_area.h"
#include "engine/sim_engine.h"
#include "platform/utf16le.h"
#include "support/null_callback_handler.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* DISK_HID = "SCSI\\DiskQuorvane_1";
constexpr const char* PAD_HID = "HID\\VID_1234&PID_0001";

// What a driver package declares; written as an INF the simulated installer reads.
struct TInfFacts {
  std::string hardwareId;
  std::string section = "Quorvane_Install";
  std::string date = "03/04/2021";
  std::string version = "1.2.3.4";
  std::vector<std::string> files{};
  std::string catalog{};
};

std::string InfText(const TInfFacts& facts) {
  std::string text =
      "[Version]\r\nSignature=\"$WINDOWS NT$\"\r\nProvider=%Provider%\r\n"
      "DriverVer=" + facts.date + "," + facts.version + "\r\n";
  if (!facts.catalog.empty()) text += "CatalogFile=" + facts.catalog + " ; signed\r\n";
  text += "\r\n[Manufacturer]\r\n%Mfg%=Models,NTamd64\r\n\r\n[Models.NTamd64]\r\n%Desc%=" + facts.section + "," +
          facts.hardwareId + "\r\n\r\n[" + facts.section + "]\r\n";
  if (!facts.files.empty()) text += "CopyFiles=Quorvane_Files\r\n\r\n[Quorvane_Files]\r\n";
  for (const auto& file : facts.files) text += file + "\r\n";
  text += "\r\n[Strings]\r\nProvider=\"Quorvane Inc.\"\r\nMfg=\"Quorvane\"\r\nDesc=\"Quorvane device\"\r\n";
  return text;
}

std::u16string IndexUnits(const std::string& bytes) {
  return Utf16LeUnits(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

class TRecordingHandler : public TNullCallbackHandler {
 public:
  void StartBackup(int32_t nCount) override { calls.push_back("StartBackup " + std::to_string(nCount)); }
  void StartDriverBackup(const TDeviceProperties& device) override { calls.push_back("Start " + device.strName); }
  void FinishDriverBackup(const TDeviceProperties& device, bool ok) override {
    calls.push_back("Finish " + device.strName + (ok ? " ok" : " failed"));
  }
  void FinishBackup(bool ok) override { calls.push_back(std::string("FinishBackup ") + (ok ? "ok" : "failed")); }
  std::vector<std::string> calls;
};

class DriverBackupTest : public TSimEngineFixture, public ::testing::Test {
 protected:
  DriverBackupTest() {
    machine.devices.systemDirectory = JoinPath(files.Path(), "Windows/System32");
    fs::create_directories(ToPath(InWindows("INF")));
    fs::create_directories(ToPath(JoinPath(SystemDir(), "drivers")));
    fs::create_directories(ToPath(BackupRoot()));
    Engine();
    model->SetBackupLocation(BackupRoot());
  }

  std::string SystemDir() const { return machine.devices.systemDirectory; }
  std::string BackupRoot() const { return files.File("backups"); }
  std::string InSystem(const std::string& relative) const { return JoinPath(SystemDir(), relative); }
  std::string InWindows(const std::string& relative) const { return JoinPath(files.File("Windows"), relative); }
  static std::string Read(const std::string& path) {
    std::ifstream in(ToPath(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static void Write(const std::string& path, const std::string& content) {
    fs::create_directories(ToPath(path).parent_path());
    std::ofstream(ToPath(path), std::ios::binary) << content;
  }

  // A device whose installed driver came from an INF in the system's INF folder
  // and copied its files into the drivers folder.
  TDeviceProperties AddInstalledDevice(const std::string& name, const TInfFacts& facts, const std::string& oemName) {
    Write(InWindows("INF/" + oemName), InfText(facts));
    TSimDriver driver = Driver();
    driver.infPath = InWindows("INF/" + oemName);
    driver.section = facts.section;
    driver.hardwareIds = {facts.hardwareId};
    for (const auto& file : facts.files) {
      Write(InSystem("drivers/" + file), "contents of " + file);
      driver.files.push_back(InSystem("drivers/" + file));
    }
    TSimDevice device;
    device.instanceId = "ROOT\\" + name;
    device.classGuid = GuidFromText(UNKNOWN_CLASS);
    device.description = name;
    device.hardwareIds = {facts.hardwareId};
    device.driver = driver;
    machine.devices.AddDevice(device);

    TDeviceProperties record;
    record.strName = name;
    record.strHID = facts.hardwareId;
    record.strClassGUID = "Unknown";
    record.strVersion = "10.0.0.20000";
    return record;
  }

  std::string FolderOf(const TDeviceProperties& record) const {
    return JoinPath(BackupRoot(), record.strName + " - " + record.strVersion);
  }

  // What the backup run knows of an installed device whose INF is "oem1.inf".
  TDriverData BackupData(const TDeviceProperties& record) const {
    TDriverData data;
    data.bkupPath = BackupRoot();
    data.DeviceName = record.strName;
    data.strVersion = record.strVersion;
    data.strHID = record.strHID;
    data.driverInfoDetail.InfFileName = InWindows("INF/oem1.inf");
    return data;
  }

  void ExpectHandlesReleased() const {
    EXPECT_EQ(machine.devices.OpenSets(), 0u);
    EXPECT_EQ(machine.devices.OpenQueues(), 0u);
    EXPECT_EQ(machine.devices.OpenKeys(), 0u);
  }

  TTempFolder files;
  TRecordingHandler handler;
};

TEST_F(DriverBackupTest, EmptyListReportsStartAndSuccessAndRecordsTheLocation) {
  EXPECT_TRUE(Engine().Backup(TDriverMap{}, &handler));
  EXPECT_EQ(handler.calls, (std::vector<std::string>{"StartBackup 0", "FinishBackup ok"}));
  EXPECT_EQ(model->LastBackupLocation(), BackupRoot());
  EXPECT_FALSE(Engine().m_doingbackup);
}

TEST_F(DriverBackupTest, MissingRootFailsAtOnce) {
  TDeviceProperties record = AddInstalledDevice("Disk", {DISK_HID}, "oem1.inf");
  model->SetBackupLocation(files.File("no such folder"));
  EXPECT_FALSE(Engine().Backup(TDriverMap{&record}, &handler));
  EXPECT_EQ(handler.calls, (std::vector<std::string>{"FinishBackup failed"}));
  EXPECT_FALSE(fs::exists(ToPath(files.File("no such folder"))));
}

TEST_F(DriverBackupTest, DeviceFolderHoldsInfIndexFilesAndCatalog) {
  TInfFacts facts{DISK_HID};
  facts.files = {"qvdisk.sys", "qvdisk.dll"};
  facts.catalog = "qvdisk.cat";
  Write(InSystem("CatRoot/{F750E6C3}/qvdisk.cat"), "catalog");
  TDeviceProperties record = AddInstalledDevice("Disk", facts, "oem12.inf");

  EXPECT_TRUE(Engine().Backup(TDriverMap{&record}, &handler));
  const std::string folder = FolderOf(record);
  EXPECT_EQ(Read(JoinPath(folder, "oem12.inf")), InfText(facts));
  EXPECT_EQ(IndexUnits(Read(JoinPath(folder, "index.dat"))), u"\\oem12.inf:SCSI\\DiskQuorvane_1");
  EXPECT_EQ(Read(JoinPath(folder, "qvdisk.sys")), "contents of qvdisk.sys");
  EXPECT_EQ(Read(JoinPath(folder, "qvdisk.dll")), "contents of qvdisk.dll");
  EXPECT_EQ(Read(JoinPath(folder, "qvdisk.cat")), "catalog");
  EXPECT_EQ(handler.calls, (std::vector<std::string>{"StartBackup 1", "Start Disk", "Finish Disk ok", "FinishBackup ok"}));
  ExpectHandlesReleased();
}

TEST_F(DriverBackupTest, IndexIsUtf16WithoutMarkOrTerminator) {
  TDeviceProperties record = AddInstalledDevice("Pad", {"HID\\VID_Ä"}, "oem3.inf");
  EXPECT_TRUE(Engine().Backup(record, &handler));
  const std::string bytes = Read(JoinPath(FolderOf(record), "index.dat"));
  const std::u16string expected = u"\\oem3.inf:HID\\VID_\u00C4";
  ASSERT_EQ(bytes.size(), expected.size() * 2);
  EXPECT_EQ(static_cast<unsigned char>(bytes[0]), '\\');
  EXPECT_EQ(bytes[1], '\0');
  EXPECT_EQ(IndexUnits(bytes), expected);
}

// A backup never adds to a folder that is there already: the second backup of the same
// version gets a folder of its own, and the first stays as it was.
TEST_F(DriverBackupTest, SecondBackupOfTheSameVersionGoesToANewFolder) {
  TInfFacts facts{DISK_HID};
  facts.files = {"a.sys"};
  TDeviceProperties record = AddInstalledDevice("Disk", facts, "oem4.inf");
  ASSERT_TRUE(Engine().Backup(record, &handler));
  Write(InSystem("drivers/a.sys"), "changed a");
  ASSERT_TRUE(Engine().Backup(record, &handler));
  ASSERT_TRUE(Engine().Backup(record, &handler));
  EXPECT_EQ(Read(JoinPath(FolderOf(record), "a.sys")), "contents of a.sys");
  EXPECT_EQ(Read(FolderOf(record) + " (2)/a.sys"), "changed a");
  EXPECT_TRUE(fs::exists(ToPath(FolderOf(record) + " (3)/a.sys")));
  for (const std::string& folder : {FolderOf(record), FolderOf(record) + " (2)", FolderOf(record) + " (3)"})
    EXPECT_EQ(BackupTrustOf(machine.registry, folder), btRecorded) << folder;
}

TEST_F(DriverBackupTest, DriverWithoutFilesStillGetsInfAndIndex) {
  TDeviceProperties record = AddInstalledDevice("Pad", {PAD_HID}, "oem5.inf");
  EXPECT_TRUE(Engine().Backup(record, &handler));
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(ToPath(FolderOf(record)))) names.push_back(FromPath(entry.path().filename()));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"index.dat", "oem5.inf", QV_BACKUP_MANIFEST_NAME}));
}

TEST_F(DriverBackupTest, CharactersAFileNameCannotHoldBecomeUnderscores) {
  TDeviceProperties record = AddInstalledDevice("Disk <A|B>: *1?", {DISK_HID}, "oem6.inf");
  record.strVersion = "1/2\\3";
  EXPECT_TRUE(Engine().Backup(record, &handler));
  EXPECT_TRUE(fs::is_directory(ToPath(JoinPath(BackupRoot(), "Disk _A_B__ _1_ - 1_2_3"))));
  EXPECT_EQ(std::distance(fs::directory_iterator(ToPath(BackupRoot())), fs::directory_iterator()), 1);
}

TEST_F(DriverBackupTest, DeviceNotFoundFailsAndTheRunPassesOverTheRest) {
  TDeviceProperties first = AddInstalledDevice("Disk", {DISK_HID}, "oem1.inf");
  TDeviceProperties missing = first;
  missing.strName = "Gone";
  missing.strHID = "PCI\\VEN_DEAD";
  TDeviceProperties last = AddInstalledDevice("Pad", {PAD_HID}, "oem2.inf");

  EXPECT_FALSE(Engine().Backup(TDriverMap{&first, &missing, &last}, &handler));
  EXPECT_EQ(handler.calls, (std::vector<std::string>{"StartBackup 3", "Start Disk", "Finish Disk ok", "Start Gone",
                                                     "Finish Gone failed", "FinishBackup failed"}));
  EXPECT_TRUE(fs::exists(ToPath(FolderOf(first))));
  EXPECT_FALSE(fs::exists(ToPath(FolderOf(last))));
  EXPECT_FALSE(Engine().m_doingbackup);
  ExpectHandlesReleased();
}

// Found, but with no installed driver to read: nothing is written, so it is no backup.
TEST_F(DriverBackupTest, DeviceFoundWithoutAReadableDriverFails) {
  TDeviceProperties record = AddInstalledDevice("Disk", {DISK_HID}, "oem1.inf");
  machine.devices.devices.back().driver.reset();
  EXPECT_FALSE(Engine().Backup(TDriverMap{&record}, &handler));
  EXPECT_EQ(handler.calls, (std::vector<std::string>{"StartBackup 1", "Start Disk", "Finish Disk failed",
                                                     "FinishBackup failed"}));
  EXPECT_FALSE(fs::exists(ToPath(FolderOf(record))));
  ExpectHandlesReleased();
}

TEST_F(DriverBackupTest, DeviceFoundByItsCompatibleId) {
  TDeviceProperties record = AddInstalledDevice("Disk", {DISK_HID}, "oem1.inf");
  machine.devices.devices.back().compatibleIds = {"GenDisk"};
  record.strHID = "SCSI\\Renamed";
  record.strCompatibleHID = "gendisk";
  EXPECT_TRUE(Engine().Backup(record, &handler));
}

TEST_F(DriverBackupTest, CancelStopsTheRunBeforeTheNextDevice) {
  TDeviceProperties first = AddInstalledDevice("Disk", {DISK_HID}, "oem1.inf");
  TDeviceProperties second = AddInstalledDevice("Pad", {PAD_HID}, "oem2.inf");
  class TCancelling : public TRecordingHandler {
   public:
    explicit TCancelling(TDataManager& engine) : m_engine(engine) {}
    void FinishDriverBackup(const TDeviceProperties& device, bool ok) override {
      TRecordingHandler::FinishDriverBackup(device, ok);
      m_engine.BackupCancel();
    }
    TDataManager& m_engine;
  } cancelling(Engine());
  EXPECT_TRUE(Engine().Backup(TDriverMap{&first, &second}, &cancelling));
  EXPECT_EQ(cancelling.calls.back(), "FinishBackup ok");
  EXPECT_FALSE(fs::exists(ToPath(FolderOf(second))));
}

// The file step itself: a stop deletes the device's folder this backup created and
// lets the scan go on; an older, complete backup of the same device and version stays whole.
TEST_F(DriverBackupTest, StopDuringTheFilesDeletesOnlyAFolderThisBackupCreated) {
  for (bool olderBackup : {false, true}) {
    SCOPED_TRACE(olderBackup ? "older backup" : "no older backup");
    fs::remove_all(ToPath(BackupRoot()));
    fs::create_directories(ToPath(BackupRoot()));
    TInfFacts facts{DISK_HID};
    facts.files = {"x.sys", "y.sys"};
    TDeviceProperties record = AddInstalledDevice("Disk", facts, "oem1.inf");
    if (olderBackup) {
      ASSERT_TRUE(Engine().Backup(record, &handler));
    }
    std::atomic<bool> stopped{false};
    TCatalogSearch catalogs(machine.devices);
    TDriverBackup backup(Engine(), machine.devices, stopped, catalogs);
    const TDriverData data = BackupData(record);
    const std::string first = InSystem("drivers/x.sys"), second = InSystem("drivers/y.sys");
    EXPECT_TRUE(backup.CopyFileStep(data, &first));
    const std::string made = backup.Folder();
    EXPECT_EQ(made, olderBackup ? FolderOf(record) + " (2)" : FolderOf(record));
    ASSERT_TRUE(fs::exists(ToPath(JoinPath(made, "x.sys"))));
    stopped = true;
    EXPECT_TRUE(backup.CopyFileStep(data, &second));
    EXPECT_TRUE(fs::is_directory(ToPath(BackupRoot())));
    EXPECT_FALSE(fs::exists(ToPath(made)));
    if (!olderBackup) continue;
    for (const char* name : {"oem1.inf", "index.dat", "x.sys", "y.sys", QV_BACKUP_MANIFEST_NAME})
      EXPECT_TRUE(fs::exists(ToPath(JoinPath(FolderOf(record), name)))) << name;
  }
}

// A user process plants a link where the device's backup folder goes: neither the copy
// nor a stopped backup's delete reaches the folder it points to.
TEST_F(DriverBackupTest, ALinkAsTheDeviceFolderIsNeverFollowed) {
  TInfFacts facts{DISK_HID};
  facts.files = {"x.sys"};
  TDeviceProperties record = AddInstalledDevice("Disk", facts, "oem1.inf");
  const fs::path outside = ToPath(JoinPath(BackupRoot(), "..")) / "outside";
  for (bool stop : {true, false}) {
    SCOPED_TRACE(stop ? "stopped backup deletes the folder" : "backup copies into the folder");
    fs::remove_all(outside);
    fs::create_directories(outside);
    Write(FromPath(outside / "keep.txt"), "keep");
    fs::create_directories(ToPath(BackupRoot()));
    fs::remove(ToPath(FolderOf(record)));
    std::error_code error;
    fs::create_directory_symlink(outside, ToPath(FolderOf(record)), error);
    ASSERT_FALSE(error) << error.message();
    std::atomic<bool> stopped{stop};
    TCatalogSearch catalogs(machine.devices);
    TDriverBackup backup(Engine(), machine.devices, stopped, catalogs);
    const TDriverData data = BackupData(record);
    const std::string file = InSystem("drivers/x.sys");
    EXPECT_TRUE(backup.CopyFileStep(data, &file));
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(outside)) names.push_back(FromPath(entry.path().filename()));
    EXPECT_EQ(names, std::vector<std::string>{"keep.txt"});
  }
}

TEST_F(DriverBackupTest, NamesThatWouldLeaveTheFolderAreRefused) {
  struct TCase {
    const char* name;
    bool plain;
  } cases[] = {{"oem12.inf", true}, {"a.", true}, {"..", false},  {".", false},    {".. ", false}, {"...", false},
               {"", false},         {"a\\b", false}, {"a/b", false}, {"c:x", false}, {"a\tb", false}};
  for (const auto& c : cases) EXPECT_EQ(IsPlainFileName(c.name), c.plain) << c.name;

  // A queued file, an INF and a catalog named with a way out of the folder are not copied.
  TInfFacts facts{DISK_HID};
  facts.catalog = "..\\escaped.cat";
  Write(InSystem("escaped.cat"), "catalog");
  TDeviceProperties record = AddInstalledDevice("Disk", facts, "oem1.inf");
  machine.devices.devices.back().driver->files = {InSystem("drivers/..")};
  ASSERT_TRUE(Engine().Backup(record, &handler));
  EXPECT_FALSE(fs::exists(ToPath(JoinPath(BackupRoot(), "escaped.cat"))));
  EXPECT_FALSE(fs::exists(ToPath(JoinPath(FolderOf(record), "escaped.cat"))));

  // An INF that cannot be copied leaves nothing to restore from: no backup.
  TDeviceProperties dotted = AddInstalledDevice("Pad", {PAD_HID}, "oem2.inf");
  machine.devices.devices.back().driver->infPath = InWindows("INF/..");
  EXPECT_FALSE(Engine().Backup(dotted, &handler));
  EXPECT_FALSE(fs::exists(ToPath(FolderOf(dotted))));
}

TEST_F(DriverBackupTest, TheRunWalksTheSystemDirectoryOnceWithTheFirstMatchOfAFreshWalk) {
  Write(InSystem("CatRoot/a/one.cat"), "one in a");
  Write(InSystem("CatRoot/b/one.cat"), "one in b");
  Write(InSystem("CatRoot/b/two.cat"), "two");
  Write(InSystem("three.cat"), "three");
  TDriverMap devices;
  std::vector<TDeviceProperties> records;
  const char* catalogs[] = {"one.cat", "two.cat", "three.cat", "ONE.CAT"};
  records.reserve(4);
  for (int i = 0; i < 4; ++i) {
    TInfFacts facts{"ROOT\\QV" + std::to_string(i)};
    facts.catalog = catalogs[i];
    records.push_back(AddInstalledDevice("Device " + std::to_string(i), facts, "oem" + std::to_string(i) + ".inf"));
  }
  for (auto& record : records) devices.push_back(&record);

  ASSERT_TRUE(Engine().Backup(devices, &handler));
  EXPECT_EQ(machine.devices.systemDirectoryQueries, 1);
  for (int i = 0; i < 3; ++i) {
    TCatalogSearch fresh(machine.devices);
    std::optional<std::string> expected = fresh.Find(catalogs[i]);
    ASSERT_TRUE(expected);
    EXPECT_EQ(Read(JoinPath(FolderOf(records[i]), catalogs[i])), Read(*expected)) << catalogs[i];
  }
  // The name compares with its case.
  EXPECT_FALSE(fs::exists(ToPath(JoinPath(FolderOf(records[3]), "ONE.CAT"))));
}

TEST_F(DriverBackupTest, CatalogSearchContinuesWhereItStopped) {
  Write(InSystem("x/first.cat"), "1");
  Write(InSystem("y/second.cat"), "2");
  TCatalogSearch search(machine.devices);
  EXPECT_FALSE(search.Find("absent.cat"));
  EXPECT_TRUE(search.Find("second.cat"));
  EXPECT_TRUE(search.Find("first.cat"));
  EXPECT_EQ(search.Walks(), 1);
  EXPECT_EQ(machine.devices.systemDirectoryQueries, 1);
}

// A folder that cannot be opened when the walk reaches it (here: gone meanwhile) is
// passed over; the folders after it are still searched.
TEST_F(DriverBackupTest, CatalogSearchPassesOverAFolderItCannotOpen) {
  for (const char* folder : {"p", "q", "r"}) Write(InSystem(std::string(folder) + "/" + folder + ".cat"), folder);
  std::vector<std::string> order;  // the walk lists the folders in this order
  for (const fs::directory_entry& entry : fs::directory_iterator(ToPath(SystemDir())))
    if (entry.path().filename() != "drivers") order.push_back(FromPath(entry.path().filename()));
  ASSERT_EQ(order.size(), 3u);
  TCatalogSearch search(machine.devices);
  ASSERT_TRUE(search.Find(order[0] + ".cat"));  // the walk now stands at the second folder
  fs::rename(ToPath(InSystem(order[1])), ToPath(files.File("moved-away")));
  EXPECT_TRUE(search.Find(order[2] + ".cat"));
  EXPECT_FALSE(search.Find(order[1] + ".cat"));
}

// Where the driver list cannot be built (Wine), the driver key and the INF section give the files.
TEST_F(DriverBackupTest, WithoutDriverListsTheDriverKeyAndTheInfSectionGiveTheFiles) {
  TInfFacts facts{DISK_HID};
  facts.files = {"qvdisk.sys"};
  TDeviceProperties record = AddInstalledDevice("Disk", facts, "oem8.inf");
  machine.devices.driverInfoListImplemented = false;
  EXPECT_TRUE(Engine().Backup(record, &handler));
  EXPECT_EQ(Read(JoinPath(FolderOf(record), "oem8.inf")), InfText(facts));
  EXPECT_EQ(IndexUnits(Read(JoinPath(FolderOf(record), "index.dat"))), u"\\oem8.inf:SCSI\\DiskQuorvane_1");
  EXPECT_EQ(Read(JoinPath(FolderOf(record), "qvdisk.sys")), "contents of qvdisk.sys");
  ExpectHandlesReleased();
}

// The manifest comes from a user-writable folder: only text the writer makes is read.
TEST(BackupManifest, ReadsOnlyWhatTheWriterMakes) {
  const std::string a(64, 'a'), b(64, 'b');
  const std::vector<TManifestEntry> entries{{"oem12.inf", 24, a}, {"a file.sys", 0, b}};
  const std::string text = WriteBackupManifest(entries);
  EXPECT_EQ(text, "Quorvane backup manifest 1\n" + a + " 24 oem12.inf\n" + b + " 0 a file.sys\n");
  EXPECT_EQ(ReadBackupManifest(text), entries);
  const std::string header = "Quorvane backup manifest 1\n";
  const struct {
    const char* what;
    std::string text;
  } damaged[] = {
      {"no header", a + " 1 x.sys\n"},
      {"another header", "Quorvane backup manifest 2\n"},
      {"last line unended", header + a + " 1 x.sys"},
      {"carriage return", header + a + " 1 x.sys\r\n"},
      {"upper-case digest", header + std::string(64, 'A') + " 1 x.sys\n"},
      {"short digest", header + std::string(63, 'a') + " 1 x.sys\n"},
      {"signed size", header + a + " +1 x.sys\n"},
      {"leading zero", header + a + " 01 x.sys\n"},
      {"size past 64 bits", header + a + " 18446744073709551616 x.sys\n"},
      {"no name", header + a + " 1 \n"},
      {"a path", header + a + " 1 ..\\x.sys\n"},
      {"a parent", header + a + " 1 ..\n"},
      {"a name twice", header + a + " 1 X.sys\n" + a + " 1 x.SYS\n"},
      {"an empty line", header + "\n"},
  };
  for (const auto& c : damaged) EXPECT_FALSE(ReadBackupManifest(c.text)) << c.what;
  for (size_t length = 0; length < text.size(); ++length)
    EXPECT_EQ(ReadBackupManifest(text.substr(0, length)).has_value(), length == header.size() ||
                                                                        length == text.find('\n', header.size()) + 1)
        << length;
}

class RestoreTest : public DriverBackupTest {
 protected:
  // Whether every staging folder of the work area is gone again.
  bool StagingIsEmpty() const {
    const fs::path staging = ToPath(JoinPath(WorkArea(), QV_STAGING_FOLDER_NAME));
    std::error_code error;
    return !fs::exists(staging, error) || fs::is_empty(staging, error);
  }
};

// Folders as backups made before manifests and records left them: restored only when an
// unverified restore is allowed, and then only when their index names an INF beside it.
TEST_F(RestoreTest, OlderFoldersThatCannotBeRestored) {
  Write(JoinPath(BackupRoot(), "nocolon/oem1.inf"), InfText({DISK_HID}));
  auto writeIndex = [&](const std::string& folder, const std::u16string& text) {
    const std::vector<uint8_t> bytes = Utf16LeBytes(text);
    Write(JoinPath(BackupRoot(), folder + "/index.dat"), std::string(bytes.begin(), bytes.end()));
  };
  AddInstalledDevice("Disk", {DISK_HID}, "oem1.inf");
  writeIndex("nocolon", u"\\oem1.inf");
  writeIndex("colonfirst", u":SCSI\\DiskQuorvane_1");
  writeIndex("missinginf", u"\\oem9.inf:SCSI\\DiskQuorvane_1");
  writeIndex("escape", u"\\..\\oem1.inf:SCSI\\DiskQuorvane_1");
  Write(JoinPath(BackupRoot(), "oem1.inf"), InfText({DISK_HID}));
  fs::create_directories(ToPath(JoinPath(BackupRoot(), "noindex")));
  for (const char* folder : {"noindex", "nocolon", "colonfirst", "missinginf", "escape"}) {
    bool reboot = false;
    EXPECT_EQ(Engine().Restore(JoinPath(BackupRoot(), folder), false, reboot), roUnverified) << folder;
    EXPECT_EQ(Engine().Restore(JoinPath(BackupRoot(), folder), true, reboot), roFailed) << folder;
  }
  EXPECT_EQ(machine.devices.devices.back().driver->infPath, InWindows("INF/oem1.inf"));
  EXPECT_TRUE(StagingIsEmpty());
}

TEST_F(RestoreTest, RestoreBringsTheBackedUpDriverBackOverANewerOne) {
  TInfFacts old{DISK_HID, "Old_Install", "03/04/2021", "1.2.3.4", {"qvdisk.sys"}};
  TDeviceProperties record = AddInstalledDevice("Disk", old, "oem1.inf");
  ASSERT_TRUE(Engine().Backup(record, &handler));

  TInfFacts newer{DISK_HID, "New_Install", "05/06/2023", "2.0.0.0", {"qvdisk.sys"}};
  Write(files.File("package/new.inf"), InfText(newer));
  Write(files.File("package/qvdisk.sys"), "new driver");
  bool reboot = false;
  ASSERT_EQ(Engine().InstallDriver(DISK_HID, files.File("package/new.inf"), reboot), 0u);
  ASSERT_EQ(machine.devices.devices.back().driver->section, "New_Install");
  EXPECT_EQ(Read(InSystem("drivers/qvdisk.sys")), "new driver");

  machine.devices.installNeedsReboot = true;
  EXPECT_EQ(Engine().Restore(FolderOf(record), false, reboot), roRestored);
  EXPECT_TRUE(reboot);
  EXPECT_TRUE(StagingIsEmpty());
  const TSimDriver& restored = *machine.devices.devices.back().driver;
  EXPECT_EQ(restored.section, "Old_Install");
  EXPECT_EQ(restored.version, 0x0001000200030004ULL);
  EXPECT_EQ(restored.date, MARCH_4_2021);
  EXPECT_EQ(Read(InSystem("drivers/qvdisk.sys")), "contents of qvdisk.sys");

  // A scan through the same machine sees the restored driver.
  TDeviceProperties scanned;
  ASSERT_EQ(Enumerate(static_cast<uint32_t>(machine.devices.devices.size() - 1), scanned), 0);
  EXPECT_EQ(scanned.strINFSectionName, "Old_Install");
  EXPECT_EQ(scanned.strVersion, "1.2.3.4");
}

// A user process, which may write the backup location, plants a folder under the name the
// next backup would take, with an old driver in it: the backup leaves it alone and goes to a
// new folder, and the planted folder is never restored as the backup.
TEST_F(RestoreTest, APlantedFolderWithTheBackupsNameIsNeverRestoredAsTheBackup) {
  TInfFacts real{DISK_HID, "Real_Install", "03/04/2021", "1.2.3.4", {"qvdisk.sys"}};
  TInfFacts old{DISK_HID, "Vulnerable_Install", "01/01/2015", "0.1.0.0", {"qvdisk.sys"}};
  TDeviceProperties record = AddInstalledDevice("Disk", real, "oem1.inf");
  const std::vector<uint8_t> index = Utf16LeBytes(u"\\oem1.inf:SCSI\\DiskQuorvane_1");
  for (bool withManifest : {true, false}) {
    SCOPED_TRACE(withManifest ? "planted with a manifest" : "planted without a manifest");
    fs::remove_all(ToPath(BackupRoot()));
    const std::string planted = FolderOf(record);
    ASSERT_TRUE(machine.fileSystem.UserMayWrite(planted));
    Write(JoinPath(planted, "oem1.inf"), InfText(old));
    Write(JoinPath(planted, "qvdisk.sys"), "vulnerable driver");
    Write(JoinPath(planted, "index.dat"), std::string(index.begin(), index.end()));
    if (withManifest)
      Write(JoinPath(planted, QV_BACKUP_MANIFEST_NAME),
            WriteBackupManifest({{"oem1.inf", 1, std::string(64, 'a')}, {"index.dat", 1, std::string(64, 'b')}}));

    ASSERT_TRUE(Engine().Backup(record, &handler));
    EXPECT_EQ(Read(JoinPath(planted, "qvdisk.sys")), "vulnerable driver");
    EXPECT_EQ(fs::exists(ToPath(JoinPath(planted, QV_BACKUP_MANIFEST_NAME))), withManifest);
    const std::string made = planted + " (2)";
    EXPECT_EQ(Read(JoinPath(made, "qvdisk.sys")), "contents of qvdisk.sys");

    bool reboot = false;
    EXPECT_EQ(Engine().Restore(planted, false, reboot), withManifest ? roChanged : roUnverified);
    EXPECT_EQ(machine.devices.devices.back().driver->section, "Real_Install");
    EXPECT_EQ(Engine().Restore(made, false, reboot), roRestored);
    EXPECT_EQ(machine.devices.devices.back().driver->section, "Real_Install");
    EXPECT_EQ(Read(InSystem("drivers/qvdisk.sys")), "contents of qvdisk.sys");
  }
}

// Every change a user process can make to a backup after it was made: the restore refuses
// it, an unverified restore too, and the installed driver stays.
TEST_F(RestoreTest, ABackupChangedAfterItWasMadeIsRefused) {
  TInfFacts real{DISK_HID, "Real_Install", "03/04/2021", "1.2.3.4", {"qvdisk.sys"}};
  TInfFacts old{DISK_HID, "Vulnerable_Install", "01/01/2015", "0.1.0.0", {"qvdisk.sys"}};
  TInfFacts newer{DISK_HID, "New_Install", "05/06/2023", "2.0.0.0", {"qvdisk.sys"}};
  TDeviceProperties record = AddInstalledDevice("Disk", real, "oem1.inf");
  const TSimDriver installed = *machine.devices.devices.back().driver;
  Write(files.File("package/new.inf"), InfText(newer));
  Write(files.File("package/qvdisk.sys"), "new driver");
  Write(files.File("elsewhere/qvdisk.sys"), "contents of qvdisk.sys");
  auto index = [](const std::u16string& text) {
    const std::vector<uint8_t> bytes = Utf16LeBytes(text);
    return std::string(bytes.begin(), bytes.end());
  };
  struct TCase {
    const char* what;
    std::function<void(const std::string& folder)> change;
  };
  const TCase cases[] = {
      {"a driver file rewritten", [&](const std::string& f) { Write(JoinPath(f, "qvdisk.sys"), "planted"); }},
      {"the INF rewritten", [&](const std::string& f) { Write(JoinPath(f, "oem1.inf"), InfText(old)); }},
      {"the index names a planted INF",
       [&](const std::string& f) {
         Write(JoinPath(f, "planted.inf"), InfText(old));
         Write(JoinPath(f, "index.dat"), index(u"\\planted.inf:SCSI\\DiskQuorvane_1"));
       }},
      {"a file removed", [&](const std::string& f) { fs::remove(ToPath(JoinPath(f, "qvdisk.sys"))); }},
      {"a file swapped for a link to the same bytes",
       [&](const std::string& f) {
         fs::remove(ToPath(JoinPath(f, "qvdisk.sys")));
         fs::create_symlink(ToPath(files.File("elsewhere/qvdisk.sys")), ToPath(JoinPath(f, "qvdisk.sys")));
       }},
      {"the manifest rewritten",
       [&](const std::string& f) {
         Write(JoinPath(f, QV_BACKUP_MANIFEST_NAME), WriteBackupManifest({{"oem1.inf", 1, std::string(64, 'a')}}));
       }},
      {"the manifest removed", [&](const std::string& f) { fs::remove(ToPath(JoinPath(f, QV_BACKUP_MANIFEST_NAME))); }},
      {"the folder swapped for an older-looking one",
       [&](const std::string& f) {
         fs::remove_all(ToPath(f));
         Write(JoinPath(f, "oem1.inf"), InfText(old));
         Write(JoinPath(f, "qvdisk.sys"), "vulnerable driver");
         Write(JoinPath(f, "index.dat"), index(u"\\oem1.inf:SCSI\\DiskQuorvane_1"));
       }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(ToPath(BackupRoot()));
    fs::create_directories(ToPath(BackupRoot()));
    machine.devices.devices.back().driver = installed;
    Write(InSystem("drivers/qvdisk.sys"), "contents of qvdisk.sys");
    ASSERT_TRUE(Engine().Backup(record, &handler));
    bool reboot = false;
    ASSERT_EQ(Engine().InstallDriver(DISK_HID, files.File("package/new.inf"), reboot), 0u);
    const std::string folder = FolderOf(record);
    ASSERT_TRUE(machine.fileSystem.UserMayWrite(JoinPath(folder, "qvdisk.sys")));
    c.change(folder);
    for (bool allowUnverified : {false, true})
      EXPECT_EQ(Engine().Restore(folder, allowUnverified, reboot), roChanged) << allowUnverified;
    EXPECT_EQ(machine.devices.devices.back().driver->section, "New_Install");
    EXPECT_EQ(Read(InSystem("drivers/qvdisk.sys")), "new driver");
    EXPECT_TRUE(StagingIsEmpty());
  }
}

// A backup that cannot write its folder or a file fails, and leaves neither folder nor record.
TEST_F(DriverBackupTest, ABackupThatCannotBeWrittenFails) {
  TInfFacts facts{DISK_HID};
  facts.files = {"qvdisk.sys"};
  TDeviceProperties record = AddInstalledDevice("Disk", facts, "oem1.inf");
  for (bool fullDisk : {false, true}) {
    SCOPED_TRACE(fullDisk ? "the manifest cannot be written" : "the backup location is a file");
    fs::remove_all(ToPath(BackupRoot()));
    if (fullDisk)
      fs::create_directories(ToPath(BackupRoot()));
    else
      Write(BackupRoot(), "not a folder");
    machine.fileSystem.fullDisk = fullDisk;
    EXPECT_FALSE(Engine().Backup(record, &handler));
    machine.fileSystem.fullDisk = false;
    EXPECT_FALSE(fs::exists(ToPath(FolderOf(record))));
    EXPECT_FALSE(ReadBackupRecord(machine.registry, FileNameOfPath(FolderOf(record))));
  }
  EXPECT_EQ(handler.calls.back(), "Finish Disk failed");
}

// A backup is recorded by its folder under HKLM; deleting it through the program forgets it.
TEST_F(RestoreTest, DeletingABackupForgetsItsRecord) {
  TDeviceProperties record = AddInstalledDevice("Disk", {DISK_HID}, "oem1.inf");
  ASSERT_TRUE(Engine().Backup(record, &handler));
  const std::optional<TBackupRecord> recorded = ReadBackupRecord(machine.registry, FileNameOfPath(FolderOf(record)));
  ASSERT_TRUE(recorded);
  EXPECT_TRUE(SameFolderPath(recorded->folder, FolderOf(record)));
  EXPECT_TRUE(Engine().DeleteBackup(0, FolderOf(record)));
  EXPECT_FALSE(fs::exists(ToPath(FolderOf(record))));
  EXPECT_FALSE(ReadBackupRecord(machine.registry, FileNameOfPath(FolderOf(record))));
}

TEST_F(DriverBackupTest, InstallDriverReportsTheInstallersCode) {
  AddInstalledDevice("Disk", {DISK_HID}, "oem1.inf");
  Write(files.File("package/disk.inf"), InfText({DISK_HID, "Disk_Install", "01/01/2020", "0.9.0.0"}));
  Write(files.File("package/other.inf"), InfText({"PCI\\VEN_OTHER"}));
  AddInstalledDevice("Unplugged", {"USB\\VID_GONE"}, "oem2.inf");
  machine.devices.devices.back().present = false;
  Write(files.File("package/unplugged.inf"), InfText({"USB\\VID_GONE"}));
  struct TCase {
    const char* what;
    std::string hardwareId, infPath;
    bool newDev;
    uint32_t code;
  } cases[] = {
      {"older driver, forced", DISK_HID, files.File("package/disk.inf"), true, 0},
      {"missing INF", DISK_HID, files.File("package/none.inf"), true, ERROR_FILE_NOT_FOUND},
      {"no device with the id", "PCI\\VEN_NONE", files.File("package/disk.inf"), true, ERROR_NO_SUCH_DEVINST},
      {"INF without the id", DISK_HID, files.File("package/other.inf"), true, ERROR_NO_SUCH_DEVINST},
      {"device not present", "USB\\VID_GONE", files.File("package/unplugged.inf"), true, ERROR_NO_SUCH_DEVINST},
      {"newdev.dll missing", DISK_HID, files.File("package/disk.inf"), false, ERROR_DLL_INIT_FAILED},
  };
  for (const auto& c : cases) {
    machine.devices.newDevAvailable = c.newDev;
    machine.devices.installNeedsReboot = true;
    bool reboot = false;
    EXPECT_EQ(Engine().InstallDriver(c.hardwareId, c.infPath, reboot), c.code) << c.what;
    EXPECT_EQ(reboot, c.code == 0) << c.what;
  }
  EXPECT_EQ(machine.devices.devices.front().driver->section, "Disk_Install");

  // The flag is the run's: a later install without a reboot does not clear it.
  machine.devices.newDevAvailable = true;
  bool reboot = false;
  machine.devices.installNeedsReboot = true;
  EXPECT_EQ(Engine().InstallDriver(DISK_HID, files.File("package/disk.inf"), reboot), 0u);
  machine.devices.installNeedsReboot = false;
  EXPECT_EQ(Engine().InstallDriver(DISK_HID, files.File("package/disk.inf"), reboot), 0u);
  EXPECT_TRUE(reboot);
}

TEST_F(DriverBackupTest, UninstallDeviceRemovesByFirstHardwareIdOnly) {
  AddInstalledDevice("Disk", {DISK_HID}, "oem1.inf");
  machine.devices.devices.back().hardwareIds = {DISK_HID, "GenDisk"};
  machine.devices.devices.back().removalNeedsRestart = true;
  AddInstalledDevice("Pad", {PAD_HID}, "oem2.inf");

  bool reboot = false;
  EXPECT_FALSE(Engine().UninstallDevice("GenDisk", reboot));
  EXPECT_FALSE(Engine().UninstallDevice("PCI\\VEN_NONE", reboot));
  machine.devices.devices.back().removalRefused = true;
  reboot = true;
  EXPECT_FALSE(Engine().UninstallDevice(PAD_HID, reboot));
  EXPECT_TRUE(reboot);  // left as it was

  EXPECT_TRUE(Engine().UninstallDevice("scsi\\diskquorvane_1", reboot));
  EXPECT_TRUE(reboot);
  EXPECT_TRUE(machine.devices.devices[machine.devices.devices.size() - 2].removed);
  EXPECT_FALSE(Engine().UninstallDevice(DISK_HID, reboot));  // gone from the tree

  machine.devices.devices.back().removalRefused = false;
  reboot = true;
  EXPECT_TRUE(Engine().UninstallDevice(PAD_HID, reboot));
  EXPECT_FALSE(reboot);
  ExpectHandlesReleased();
}

}  // namespace
