// The install run on the simulated machine: packages of every kind in the download
// folder, zip packages built by the reference server's zip writer, the shell's
// launches recorded by the simulated shell.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engine/install_decision.h"
#include "install_fixture.h"
#include "platform/sim/sim_file_system.h"
#include "zip_writer.h"

namespace fs = std::filesystem;

namespace {

using DriverInstallTest = TInstallFixture;

// The archive methods each name selects: the suffix is tested case-sensitively on the
// name without ".zip", and every name ends at the "setup.exe" fallback.
TEST(InstallDecision, ArchiveMethodsByName) {
  const struct {
    const char* name;
    std::vector<TArchiveMethod> methods;
  } cases[] = {
      {"C:\\dl\\7\\net_qva.zip", {amInfFiles, amSetupExe}},
      {"net_qvai.zip", {amBatch, amSetupExe}},
      {"net_qvam.zip", {amMsi, amSetupExe}},
      {"net_qvae.zip", {amExe, amSetupExe}},
      {"net_QVA.zip", {amSetupExe}},
      {"net_Qvai.zip", {amSetupExe}},
      {"net_qva_v2.zip", {amSetupExe}},
      {"net.zip", {amSetupExe}},
      {"_qva.zip", {amInfFiles, amSetupExe}},
      // The last four characters go whatever they are.
      {"net_qva.ZIP", {amInfFiles, amSetupExe}},
      {"zip", {amSetupExe}},
  };
  for (const auto& c : cases) EXPECT_EQ(ArchiveMethodsFor(c.name), c.methods) << c.name;
}

TEST(InstallDecision, PackageKindsByExtensionIgnoringCase) {
  EXPECT_EQ(PackageKindOf("C:\\dl\\1\\Setup.EXE"), pkProgram);
  EXPECT_EQ(PackageKindOf("driver.msi"), pkProgram);
  EXPECT_EQ(PackageKindOf("driver.Zip"), pkArchive);
  EXPECT_EQ(PackageKindOf("driver.inf"), pkDocument);
  EXPECT_EQ(PackageKindOf("driver"), pkDocument);
  EXPECT_EQ(PackageKindOf("C:\\v1.zip\\driver"), pkDocument);
  EXPECT_EQ(PackageKindOf("driver.exe.txt"), pkDocument);
}

TEST(InstallDecision, FileMasks) {
  EXPECT_TRUE(MatchesFileMask("Net.INF", "*.inf"));
  EXPECT_TRUE(MatchesFileMask(".inf", "*.inf"));
  EXPECT_FALSE(MatchesFileMask("net.inf.txt", "*.inf"));
  EXPECT_FALSE(MatchesFileMask("netinf", "*.inf"));
  EXPECT_TRUE(MatchesFileMask("SETUP.exe", "setup.exe"));
  EXPECT_FALSE(MatchesFileMask("setup.exe.bak", "setup.exe"));
  EXPECT_FALSE(MatchesFileMask("mysetup.exe", "setup.exe"));
  EXPECT_TRUE(MatchesFileMask("a.b.c", "*.*.?"));
}

TEST(InstallDecision, RecursiveSearchWalksDepthFirstInNameOrder) {
  TSimFileSystem fileSystem;
  TTempFolder work;
  for (const char* name : {"b.inf", "A/z.inf", "A/y/x.inf", "c/w.INF", "c/readme.txt", "a.inf"}) work.Write(name, "x");
  std::vector<std::string> names;
  for (const std::string& path : FindFilesRecursive(fileSystem, work.Path(), "*.inf"))
    names.push_back(fs::relative(path, work.Path()).generic_string());
  EXPECT_EQ(names, (std::vector<std::string>{"A/y/x.inf", "A/z.inf", "a.inf", "b.inf", "c/w.INF"}));
  EXPECT_TRUE(FindFilesRecursive(fileSystem, work.File("missing"), "*.inf").empty());
}

// Zip packages of each name and content: what the run starts, or that it fails.
TEST_F(DriverInstallTest, ZipPackagesAreInstalledByTheMethodTheirNameSelects) {
  const struct {
    const char* name;
    TZipEntries entries;
    const char* launched;  // nullptr: nothing is launched
    int code;
  } cases[] = {
      {"net_qvai.zip", {{"setup.exe", "x"}, {"tools/install.cmd", "x"}, {"tools/install.bat", "x"}}, "install.bat", 0},
      {"net_qvai.zip", {{"setup.exe", "x"}, {"install.cmd", "x"}}, "install.cmd", 0},
      {"net_qvam.zip", {{"setup.exe", "x"}, {"pkg/driver.msi", "x"}}, "driver.msi", 0},
      {"net_qvam.zip", {{"sub/setup.exe", "x"}, {"readme.txt", "x"}}, "setup.exe", 0},
      {"net_qvae.zip", {{"bin/driver.exe", "x"}}, "driver.exe", 0},
      {"net_QVAI.zip", {{"install.bat", "x"}, {"setup.exe", "x"}}, "setup.exe", 0},
      {"net.zip", {{"deep/er/setup.exe", "x"}, {"install.bat", "x"}}, "setup.exe", 0},
      {"net.zip", {{"install.bat", "x"}, {"driver.inf", Inf(DEVICE_ID)}}, nullptr, 1},
      {"net_qva.zip", {{"other.inf", Inf("USB\\VID_9999&PID_0001")}, {"setup.exe", "x"}}, "setup.exe", 0},
      {"net_qva.zip", {{"other.inf", Inf("USB\\VID_9999&PID_0001")}}, nullptr, 1},
      {"net_QVA.zip", {{"driver.inf", Inf(DEVICE_ID)}}, nullptr, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " -> " + (c.launched ? c.launched : "failure"));
    StartCase();
    TDeviceProperties& device = NewDevice("Display", "7");
    PutPackage("7", c.name, qvserver::make_zip(c.entries));
    TInstallRecorder recorder;
    const bool installed = engine->Install(Map(), &recorder);

    EXPECT_EQ(installed, c.code == 0);
    const std::vector<std::string> calls = recorder.InstallCalls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2 - (c.code == 1)], "FinishDriverInstall Display " + std::to_string(c.code));
    std::vector<std::string> launched = LaunchedNames();
    if (c.code == 1) {
      // The failure opens the device's folder for a manual install.
      ASSERT_EQ(launched.size(), 1u);
      EXPECT_EQ(machine.shell.launches[0].request.file, (fs::path(downloads) / "7").string());
      launched.clear();
    }
    EXPECT_EQ(launched, c.launched ? std::vector<std::string>{c.launched} : std::vector<std::string>{});
    if (c.launched) {
      EXPECT_EQ(machine.shell.launches[0].request.verb, "runas");
      EXPECT_TRUE(machine.shell.launches[0].waited);
    }
    EXPECT_FALSE(fs::exists(fs::path(downloads) / "7" / "data")) << "the work folder is left behind";
    EXPECT_FALSE(device.strName.empty());
  }
}

// A "_qva" package whose INF names the device is installed through the Plug and Play
// installer: nothing is launched, and the machine's device now has the INF's driver.
TEST_F(DriverInstallTest, InfPackageInstallsThroughThePlugAndPlayInstaller) {
  NewDevice("Display", "7");
  PutPackage("7", "display_qva.zip",
             qvserver::make_zip({{"a/unrelated.inf", Inf("USB\\VID_9999&PID_0001")},
                                 {"b/display.inf", Inf(DEVICE_ID)},
                                 {"b/quorvane_demo.sys", "driver"},
                                 {"setup.exe", "x"}}));
  TInstallRecorder recorder;
  EXPECT_TRUE(engine->Install(Map(), &recorder));
  EXPECT_TRUE(LaunchedNames().empty());
  EXPECT_EQ(recorder.InstallCalls().back(), "FinishInstall true");
  ASSERT_TRUE(machine.devices.devices[0].driver);
  EXPECT_EQ(machine.devices.devices[0].driver->version, 0x001F000000000001ULL);
}

// Extraction reports the entry count, each entry once by its name in archive order,
// then its end; a folder someone left beside the package is neither used nor deleted.
TEST_F(DriverInstallTest, ExtractionReportsEachEntryOnceAndLeavesTheDownloadFolderAlone) {
  NewDevice("Display", "7");
  PutPackage("7", "net.zip",
             qvserver::make_zip({{"driver/net.inf", "x"}, {"driver/net.sys", "x"}, {"readme.txt", "x"}}));
  folder.Write("Downloads/7/data/setup.exe", "not the program's");
  TInstallRecorder recorder;
  EXPECT_FALSE(engine->Install(Map(), &recorder));
  EXPECT_EQ(recorder.InstallCalls(),
            (std::vector<std::string>{"StartInstall 1", "StartDriverInstall Display", "StartExtract 3",
                                      "StartFileExtract net.inf", "StartFileExtract net.sys",
                                      "StartFileExtract readme.txt", "FinishExtract true",
                                      "FinishDriverInstall Display 1", "FinishDriverInstall Display 1",
                                      "FinishInstall false"}));
  EXPECT_EQ(LaunchedNames(), std::vector<std::string>{"7"});  // the folder, opened for the user
  EXPECT_EQ(folder.Read("Downloads/7/data/setup.exe"), "not the program's");
  EXPECT_TRUE(fs::exists(fs::path(downloads) / "7" / "net.zip"));
}

// Archives that cannot be installed: not a zip at all, and one whose data is damaged.
TEST_F(DriverInstallTest, UnreadableArchivesFailTheirDevice) {
  std::string damaged = qvserver::make_zip({{"setup.exe", std::string(200, 'x')}});
  damaged[40] = static_cast<char>(damaged[40] ^ 0x55);  // inside the first entry's data
  const struct {
    const char* label;
    std::string bytes;
    bool extracts;
  } cases[] = {{"not a zip", "MZ this is not an archive", false}, {"damaged", damaged, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    StartCase();
    NewDevice("Display", "7");
    PutPackage("7", "net.zip", c.bytes);
    TInstallRecorder recorder;
    EXPECT_FALSE(engine->Install(Map(), &recorder));
    const std::vector<std::string> calls = recorder.InstallCalls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "StartExtract 1"), c.extracts ? 1 : 0);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "FinishExtract true"), 0);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "FinishDriverInstall Display 1"), 2);
    EXPECT_EQ(LaunchedNames(), std::vector<std::string>{"7"});  // the folder, opened for the user
    EXPECT_FALSE(fs::exists(fs::path(downloads) / "7" / "data"));
    EXPECT_TRUE(engine->m_stopped);
  }
}

// Packages that are not archives, run from their staged copy: programs are run elevated
// and waited for, other files are opened with their program, waited for, and count as
// installed when the shell took them.
TEST_F(DriverInstallTest, ProgramsAndOtherFiles) {
  const struct {
    const char* file;
    bool shellAccepts;
    const char* verb;  // of the recorded launch
    bool waited;
    int code;
  } cases[] = {
      {"setup.exe", true, "runas", true, 0},  {"driver.MSI", true, "runas", true, 0},
      {"setup.exe", false, nullptr, false, 1}, {"driver.inf", true, "open", true, 0},
      {"driver.inf", false, nullptr, false, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + (c.shellAccepts ? " accepted" : " refused"));
    StartCase();
    NewDevice("Display", "7");
    const std::string package = PutPackage("7", c.file, "x");
    machine.shell.executeSucceeds = c.shellAccepts;
    machine.shell.executeResult = c.shellAccepts ? 42 : 31;  // SE_ERR_NOASSOC
    TInstallRecorder recorder;
    EXPECT_EQ(engine->Install(Map(), &recorder), c.code == 0);
    const std::vector<std::string> calls = recorder.InstallCalls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "FinishDriverInstall Display " + std::to_string(c.code)),
              c.code == 0 ? 1 : 2);
    if (c.verb) {
      ASSERT_FALSE(machine.shell.launches.empty());
      EXPECT_EQ(fs::path(machine.shell.launches[0].request.file).filename(), fs::path(package).filename());
      EXPECT_EQ(machine.shell.launches[0].request.file.rfind(WorkArea(), 0), 0u);
      EXPECT_EQ(machine.shell.launches[0].request.verb, c.verb);
      EXPECT_EQ(machine.shell.launches[0].waited, c.waited);
      EXPECT_EQ(machine.shell.launches[0].request.show, SW_SHOWNORMAL);
    }
  }
  machine.shell.executeSucceeds = true;
}

// Before Vista the installer programs are started with "open" instead of "runas".
TEST_F(DriverInstallTest, ProgramsStartWithoutElevationBeforeVista) {
  machine.osVersion.version = {5, 1, 2600};
  machine.osVersion.verifiesAs = TOsVersionNumbers{5, 1, 2600};
  engine.reset();
  Create();
  engine = std::make_unique<TDataManager>(*model, machine.Ports());
  model->SetDownloadLocation(downloads);
  NewDevice("Display", "7");
  PutPackage("7", "net_qvae.zip", qvserver::make_zip({{"driver.exe", "x"}}));
  TInstallRecorder recorder;
  EXPECT_TRUE(engine->Install(Map(), &recorder));
  ASSERT_EQ(machine.shell.launches.size(), 1u);
  EXPECT_EQ(machine.shell.launches[0].request.verb, "open");
}

// A failed package stops the run: its device reported with 1 twice, the devices after
// it left alone, the run false, and no folder opened when the run had several devices.
TEST_F(DriverInstallTest, FailedPackageStopsTheRun) {
  NewDevice("First", "1");
  NewDevice("Second", "2");
  NewDevice("Third", "3");
  PutPackage("1", "setup.exe", "x");
  PutPackage("2", "net.zip", qvserver::make_zip({{"readme.txt", "x"}}));
  PutPackage("3", "setup.exe", "x");
  TInstallRecorder recorder(engine.get());
  EXPECT_FALSE(engine->Install(Map(), &recorder));
  EXPECT_EQ(recorder.InstallCalls(),
            (std::vector<std::string>{"StartInstall 3", "StartDriverInstall First", "FinishDriverInstall First 0",
                                      "StartDriverInstall Second", "StartExtract 1", "StartFileExtract readme.txt",
                                      "FinishExtract true", "FinishDriverInstall Second 1",
                                      "FinishDriverInstall Second 1", "FinishInstall false"}));
  EXPECT_EQ(LaunchedNames(), std::vector<std::string>{"setup.exe"});
  EXPECT_TRUE(engine->m_stopped);
  EXPECT_FALSE(engine->m_installing);
  EXPECT_TRUE(recorder.installingSeen);
}

// Devices without a package: a missing or empty folder reports 0 and leaves the run's
// result alone; a device without a driver id gets no result at all and its folder,
// which would be the download folder itself, is neither installed from nor emptied.
TEST_F(DriverInstallTest, DevicesWithoutAPackage) {
  NewDevice("Missing", "404");
  NewDevice("Empty", "5");
  NewDevice("NoId", "");
  fs::create_directories(fs::path(downloads) / "5" / "data");
  folder.Write("Downloads/setup.exe", "not a package of any device");
  TInstallRecorder recorder;
  EXPECT_FALSE(engine->Install(Map(), &recorder));
  EXPECT_EQ(recorder.InstallCalls(),
            (std::vector<std::string>{"StartInstall 3", "StartDriverInstall Missing", "FinishDriverInstall Missing 0",
                                      "StartDriverInstall Empty", "FinishDriverInstall Empty 0",
                                      "StartDriverInstall NoId", "FinishInstall false"}));
  EXPECT_TRUE(machine.shell.launches.empty());
  EXPECT_TRUE(fs::exists(fs::path(downloads) / "setup.exe"));
  EXPECT_FALSE(engine->m_stopped);
}

// Every device is announced for its backup before it is installed: once by the run and
// once by the backup itself.
TEST_F(DriverInstallTest, EachDeviceIsBackedUpBeforeItsInstall) {
  NewDevice("Display", "7");
  PutPackage("7", "setup.exe", "x");
  TInstallRecorder recorder;
  engine->Install(Map(), &recorder);
  ASSERT_GE(recorder.calls_.size(), 4u);
  EXPECT_EQ(recorder.calls_[1], "StartDriverBackup Display");
  EXPECT_EQ(recorder.calls_[2], "StartDriverBackup Display");
  EXPECT_EQ(recorder.calls_[3], "StartDriverInstall Display");
}

// A device without an installed driver has nothing to back up, and its install goes on;
// one whose installed driver cannot be backed up (its INF is gone) installs nothing.
TEST_F(DriverInstallTest, TheBackupDecidesWhetherTheInstallRuns) {
  const struct {
    const char* what;
    bool driver;
    std::vector<std::string> calls;
    std::vector<std::string> launched;
  } cases[] = {
      {"no installed driver", false,
       {"StartInstall 1", "StartDriverInstall Display", "FinishDriverInstall Display 0", "FinishInstall true"},
       {"setup.exe"}},
      {"the backup failed", true,
       {"StartInstall 1", "StartDriverInstall Display", "FinishDriverInstall Display 1", "FinishDriverInstall Display 1",
        "FinishInstall false"},
       {}},
  };
  fs::remove(folder.File("Windows/INF/oem7.inf"));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    StartCase();
    if (!c.driver) machine.devices.devices.front().driver.reset();
    NewDevice("Display", "7");
    PutPackage("7", "setup.exe", "x");
    TInstallRecorder recorder;
    EXPECT_EQ(engine->Install(Map(), &recorder), c.launched.size() == 1);
    EXPECT_EQ(recorder.InstallCalls(), c.calls);
    EXPECT_EQ(LaunchedNames(), c.launched);
    machine.devices.devices.front().driver = Driver();
  }
}

// A driver id that would lead out of the download folder fails its device; nothing
// outside the download folder is looked at or deleted.
TEST_F(DriverInstallTest, DriverIdOutsideTheDownloadFolderFails) {
  NewDevice("Display", "..");
  folder.Write("data/keep.txt", "x");
  folder.Write("setup.exe", "x");
  TInstallRecorder recorder;
  EXPECT_FALSE(engine->Install(Map(), &recorder));
  const std::vector<std::string> calls = recorder.InstallCalls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "FinishDriverInstall Display 1"), 2);
  EXPECT_TRUE(machine.shell.launches.empty());
  EXPECT_TRUE(fs::exists(folder.File("data/keep.txt")));
}

// Stopping: between devices the current one is finished first, then reported stopped;
// a run started after a stop reports its first device stopped without touching it.
TEST_F(DriverInstallTest, StopBetweenDevices) {
  NewDevice("First", "1");
  NewDevice("Second", "2");
  PutPackage("1", "setup.exe", "x");
  PutPackage("2", "setup.exe", "x");
  TInstallRecorder recorder(engine.get());
  recorder.stopAfterFirstDevice = true;
  EXPECT_TRUE(engine->Install(Map(), &recorder));  // the first package was installed
  EXPECT_EQ(recorder.InstallCalls(),
            (std::vector<std::string>{"StartInstall 2", "StartDriverInstall First", "FinishDriverInstall First 0",
                                      "FinishDriverInstall First 2", "FinishInstall false"}));
  EXPECT_EQ(LaunchedNames(), std::vector<std::string>{"setup.exe"});

  TInstallRecorder again;
  machine.shell.launches.clear();
  EXPECT_FALSE(engine->Install(Map(), &again));
  EXPECT_EQ(again.calls_, (std::vector<std::string>{"StartInstall 2", "FinishDriverInstall First 2", "FinishInstall false"}));
  EXPECT_TRUE(machine.shell.launches.empty());
  EXPECT_FALSE(engine->m_installing);
}

// A stop during a device's backup installs nothing: the package would go in with
// no backup of the driver it replaces.
TEST_F(DriverInstallTest, StopDuringTheBackupInstallsNothing) {
  class TStopAtBackup : public TInstallRecorder {
   public:
    using TInstallRecorder::TInstallRecorder;
    void StartDriverBackup(const TDeviceProperties& device) override {
      TInstallRecorder::StartDriverBackup(device);
      engine->InstallCancel();
    }
    TDataManager* engine = nullptr;
  } recorder;
  recorder.engine = engine.get();
  NewDevice("Display", "7");
  PutPackage("7", "setup.exe", "x");
  EXPECT_FALSE(engine->Install(Map(), &recorder));
  EXPECT_TRUE(machine.shell.launches.empty());
  EXPECT_EQ(recorder.InstallCalls(),
            (std::vector<std::string>{"StartInstall 1", "FinishDriverInstall Display 2", "FinishInstall false"}));
}

TEST_F(DriverInstallTest, EmptyListAndNoHandler) {
  TInstallRecorder recorder;
  EXPECT_FALSE(engine->Install({}, &recorder));
  EXPECT_EQ(recorder.calls_, (std::vector<std::string>{"StartInstall 0", "FinishInstall false"}));

  NewDevice("Display", "7");
  PutPackage("7", "net.zip", qvserver::make_zip({{"setup.exe", "x"}}));
  EXPECT_TRUE(engine->Install(Map(), nullptr));
  EXPECT_EQ(LaunchedNames(), std::vector<std::string>{"setup.exe"});
}

// A user process can write the download folder: a package that is not, byte for byte
// and by name, the file the server confirmed is refused with the usual failure, never
// run or opened; the file its record names is deleted with the record, and a file no
// record names is left where it is.
TEST_F(DriverInstallTest, APackageThatIsNotTheConfirmedOneIsRefusedAndDeleted) {
  const std::string confirmed = "the confirmed installer";
  const std::string recordKey = std::string(QV_PACKAGES_KEY) + "\\7";
  const struct {
    const char* attack;
    std::function<void(const fs::path& package)> tamper;
    bool recordedFileThere;  // the file at the recorded name is deleted, and the folder it leaves empty
  } attacks[] = {
      {"swapped after confirmation (same name and size)",
       [&](const fs::path& package) { fs::rename(folder.File("outside/evil.exe"), package); }, true},
      {"rewritten in place, same size", [&](const fs::path& package) {
         std::ofstream(package, std::ios::binary | std::ios::in) << "THE";
       }, true},
      {"grown after confirmation", [&](const fs::path& package) {
         std::ofstream(package, std::ios::binary | std::ios::app) << "+payload";
       }, true},
      {"a package without a record", [&](const fs::path&) { ForgetPackageRecord(machine.registry, "7"); }, false},
      {"the confirmed file renamed", [&](const fs::path& package) {
         fs::rename(package, package.parent_path() / "driver.exe");
       }, false},
      {"a record of another driver's package", [&](const fs::path& package) {
         ForgetPackageRecord(machine.registry, "7");
         RecordPackage(machine, "8", package.string());
       }, false},
      {"a record without its digest", [&](const fs::path&) {
         machine.registry.SetString(TRegRoot::LocalMachine, recordKey, "SHA256", "");
       }, true},
  };
  for (const auto& a : attacks) {
    SCOPED_TRACE(a.attack);
    StartCase();
    fs::remove_all(folder.File("outside"));
    folder.Write("outside/keep.txt", "keep");
    folder.Write("outside/evil.exe", std::string(confirmed.size(), 'E'));
    NewDevice("Display", "7");
    const fs::path package = PutPackage("7", "setup.exe", confirmed);
    a.tamper(package);

    TInstallRecorder recorder;
    EXPECT_FALSE(engine->Install(Map(), &recorder));
    EXPECT_EQ(recorder.InstallCalls(),
              (std::vector<std::string>{"StartInstall 1", "StartDriverInstall Display", "FinishDriverInstall Display 1",
                                        "FinishDriverInstall Display 1", "FinishInstall false"}));
    EXPECT_TRUE(machine.shell.launches.empty()) << "nothing is run, and no deleted folder is opened";
    EXPECT_EQ(fs::exists(fs::path(downloads) / "7"), !a.recordedFileThere);
    EXPECT_FALSE(ReadPackageRecord(machine.registry, "7").has_value());
    EXPECT_EQ(folder.Read("outside/keep.txt"), "keep");
    EXPECT_EQ(machine.fileSystem.OpenFileCount(), 0u);
    ForgetPackageRecord(machine.registry, "8");
  }
}

// The package is checked and held open in one step and stays held until it has been
// extracted and run or opened: a swap, a write or a delete while its program runs fails,
// and the file is released when the run is over. A program starts in its own folder.
TEST_F(DriverInstallTest, ThePackageIsHeldFromItsCheckUntilItHasRun) {
  const struct {
    const char* file;
    std::string bytes;
    const char* launched;
  } cases[] = {
      {"setup.exe", "the confirmed installer", "setup.exe"},
      {"net.zip", qvserver::make_zip({{"bin/setup.exe", "x"}}), "setup.exe"},
      {"driver.inf", "[Version]", "driver.inf"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    StartCase();
    NewDevice("Display", "7");
    const std::string package = PutPackage("7", c.file, c.bytes);
    folder.Write("evil.exe", "evil");
    std::vector<std::string> attempts;
    machine.shell.onExecute = [&](const TShellExecuteRequest&) {
      if (machine.fileSystem.MoveFileOver(folder.File("evil.exe"), package)) attempts.push_back("swapped");
      if (machine.fileSystem.DeleteTree(0, package)) attempts.push_back("deleted");
      if (machine.fileSystem.DeleteTree(0, JoinPath(downloads, "7"))) attempts.push_back("folder deleted");
      // Reading stays open to all, as the started program needs.
      if (!machine.fileSystem.OpenFile(package, fomReadDenyWriters)) attempts.push_back("not readable");
    };
    TInstallRecorder recorder;
    EXPECT_TRUE(engine->Install(Map(), &recorder));
    machine.shell.onExecute = nullptr;
    EXPECT_EQ(attempts, std::vector<std::string>{});
    EXPECT_EQ(LaunchedNames(), std::vector<std::string>{c.launched});
    EXPECT_EQ(folder.Read(fs::relative(package, folder.Path()).string()), c.bytes);
    for (const auto& launch : machine.shell.launches) {
      if (launch.request.mask != 0) {
        EXPECT_EQ(launch.request.directory, FolderOfPath(launch.request.file));
      }
    }
    EXPECT_EQ(machine.fileSystem.OpenFileCount(), 0u);
    EXPECT_TRUE(machine.fileSystem.MoveFileOver(folder.File("evil.exe"), package)) << "released after the run";
  }
}

}  // namespace

// Junctions and links a user process can plant in the download folder, which the elevated
// install must never follow: each attack fails its device, runs nothing, and leaves the
// folder outside the download location as it was.
TEST_F(DriverInstallTest, LinksInTheDownloadFolderAreNeverFollowed) {
  const fs::path outside = fs::path(folder.Path()) / "outside";
  const struct {
    const char* attack;
    const char* link;    // below the download folder, pointing at `outside`
    const char* package; // put into the device's real folder first, when given
  } attacks[] = {
      {"the device folder is a link to a folder holding a program", "7", nullptr},
      {"the package is a link to a program outside", "7/setup.exe", ""},
      {"the work folder is a link to a folder outside", "7/data", "net.zip"},
  };
  for (const auto& a : attacks) {
    SCOPED_TRACE(a.attack);
    StartCase();
    fs::remove_all(outside);
    fs::create_directories(downloads);
    fs::create_directories(outside);
    folder.Write("outside/setup.exe", "not the package");
    folder.Write("outside/keep.txt", "keep");
    NewDevice("Display", "7");
    if (a.package && *a.package) PutPackage("7", a.package, qvserver::make_zip({{"setup.exe", "x"}}));
    const fs::path link = fs::path(downloads) / a.link;
    fs::create_directories(link.parent_path());
    std::error_code error;
    if (std::string(a.link).ends_with(".exe"))
      fs::create_symlink(outside / "setup.exe", link, error);
    else
      fs::create_directory_symlink(outside, link, error);
    ASSERT_FALSE(error) << error.message();

    TInstallRecorder recorder;
    engine->Install(Map(), &recorder);
    for (const auto& launch : machine.shell.launches) {
      const fs::path run = fs::weakly_canonical(launch.request.file);
      EXPECT_NE(run.parent_path(), fs::weakly_canonical(outside)) << "ran " << launch.request.file;
    }
    EXPECT_EQ(folder.Read("outside/setup.exe"), "not the package");
    EXPECT_EQ(folder.Read("outside/keep.txt"), "keep");
    EXPECT_FALSE(fs::exists(outside / "data"));
  }
}
