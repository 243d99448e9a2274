// The whole update loop on the simulated machine against the reference server on
// loopback: scan, download, backup and install of a real "_qva" package, a rescan that
// sees the new driver, the backup restored, and a rescan that sees the old one again.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/commands.h"
#include "core/server_policy.h"
#include "engine/package_records.h"
#include "engine/update_machine.h"
#include "support/null_callback_handler.h"
#include "ui/callback_relay.h"
#include "zip_writer.h"

namespace fs = std::filesystem;

namespace {

class TResultRecorder : public TNullCallbackHandler {
 public:
  void FinishScanning(int32_t AResult) override { calls.push_back("FinishScanning " + std::to_string(AResult)); }
  void FinishDriverDownload(const TDeviceProperties& device, int32_t ASuccess) override {
    calls.push_back("FinishDriverDownload " + device.strName + " " + std::to_string(ASuccess));
  }
  void FinishDriverBackup(const TDeviceProperties& device, bool ASuccess) override {
    calls.push_back("FinishDriverBackup " + device.strName + (ASuccess ? " true" : " false"));
  }
  void FinishDriverInstall(const TDeviceProperties& device, int32_t AResult) override {
    calls.push_back("FinishDriverInstall " + device.strName + " " + std::to_string(AResult));
  }
  void FinishInstall(bool ASuccess, bool) override { calls.push_back(std::string("FinishInstall ") + (ASuccess ? "true" : "false")); }

  std::vector<std::string> Take() { return std::exchange(calls, {}); }
  std::vector<std::string> calls;
};

class UpdateLoop : public ::testing::Test, public TUpdateMachine {
 protected:
  void Scan() {
    engine->StartScan(&recorder);
    EXPECT_EQ(recorder.Take(), std::vector<std::string>{"FinishScanning 0"});
  }

  TResultRecorder recorder;
};

TEST_F(UpdateLoop, UpdateThenRestoreTheBackup) {
  Scan();
  ASSERT_TRUE(Gpu().IsOutdated());
  EXPECT_EQ(Gpu().strVersion, "10.0.0.20000");
  EXPECT_EQ(Gpu().strNewVersion, "31.0.0.1");

  // The update pages' order: download, then install when the download was not stopped.
  const TDriverMap update{&Gpu()};
  engine->m_stopped = false;
  EXPECT_TRUE(engine->Download(update, &recorder));
  EXPECT_EQ(engine->IsDownloadAvailable(GPU_ID), 2);
  EXPECT_TRUE(fs::exists(fs::path(folder.File("Downloads")) / Gpu().strDriverDBId / "display-31_qva.zip"));
  ASSERT_FALSE(engine->m_stopped);
  EXPECT_TRUE(engine->Install(update, &recorder));
  EXPECT_EQ(recorder.Take(), (std::vector<std::string>{"FinishDriverDownload Quorvane Display 0",
                                                      "FinishDriverBackup Quorvane Display true",
                                                      "FinishDriverInstall Quorvane Display 0", "FinishInstall true"}));
  EXPECT_FALSE(fs::exists(fs::path(folder.File("Downloads")) / Gpu().strDriverDBId / "data"));

  // The machine now runs the new driver, and a rescan has nothing newer to offer.
  EXPECT_NE(DriverFile(), "old driver");
  Scan();
  EXPECT_EQ(Gpu().strVersion, "31.0.0.1");
  EXPECT_TRUE(Gpu().IsUpdated());
  EXPECT_EQ(model->GetOutofDateDrivers(), 0);

  // The backup taken before the install brings the old driver back.
  const fs::path backup = fs::path(folder.File("Backup")) / "Quorvane Display - 10.0.0.20000";
  ASSERT_TRUE(fs::exists(backup / "index.dat"));
  bool reboot = true;
  EXPECT_EQ(engine->Restore(backup.string(), false, reboot), roRestored);
  EXPECT_FALSE(reboot);
  EXPECT_EQ(DriverFile(), "old driver");
  Scan();
  EXPECT_EQ(Gpu().strVersion, "10.0.0.20000");
  EXPECT_TRUE(Gpu().IsOutdated());
  EXPECT_EQ(Gpu().strNewVersion, "31.0.0.1");
}

// A backup that cannot be written fails its device: the new driver is not installed
// without the backup of the one it replaces.
TEST_F(UpdateLoop, ABackupThatCannotBeWrittenStopsTheInstall) {
  Scan();
  const TDriverMap update{&Gpu()};
  engine->m_stopped = false;
  ASSERT_TRUE(engine->Download(update, &recorder));
  recorder.Take();
  struct TCase {
    const char* what;
    bool locationIsAFile;
    bool fullDisk;
  } cases[] = {{"no folder can be made in the backup location", true, false},
               {"the manifest cannot be written", false, true}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(folder.File("Backup"));
    if (c.locationIsAFile)
      folder.Write("Backup", "a file where the backup location should be");
    else
      fs::create_directories(folder.File("Backup"));
    machine.fileSystem.fullDisk = c.fullDisk;
    engine->m_stopped = false;
    EXPECT_FALSE(engine->Install(update, &recorder));
    machine.fileSystem.fullDisk = false;
    const std::vector<std::string> calls = recorder.Take();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "FinishDriverBackup Quorvane Display false");
    EXPECT_EQ(calls[1], "FinishDriverInstall Quorvane Display 1");
    EXPECT_EQ(calls.back(), "FinishInstall false");
    EXPECT_EQ(DriverFile(), "old driver");
    if (!c.locationIsAFile) {
      EXPECT_TRUE(fs::is_empty(folder.File("Backup")));
    }
  }
}

// qvcli update and install on the same machine, picking the device from the stored scan.
TEST_F(UpdateLoop, QvcliUpdateAndInstall) {
  Scan();
  model->DumpSettings();  // the download and backup folders
  machine.registry.SetString(TRegRoot::LocalMachine, QV_POLICY_KEY, QV_POLICY_SERVER,
                            "127.0.0.1:" + std::to_string(port));
  auto qvcli = [&](std::vector<std::string> arguments, std::string* output = nullptr) {
    std::ostringstream out, err;
    const int code = RunQvcli(arguments, machine.Ports(), out, err);
    if (output) *output = out.str() + err.str();
    return code;
  };

  std::string output;
  EXPECT_EQ(qvcli({"update", "PCI\\VEN_0000&DEV_0000"}), QVCLI_USAGE);
  EXPECT_EQ(qvcli({"install"}), QVCLI_USAGE);
  EXPECT_EQ(qvcli({"install", GPU_ID}, &output), QVCLI_SERVER_PROBLEM) << output;  // nothing downloaded yet
  EXPECT_NE(output.find("Nothing to install."), std::string::npos) << output;

  EXPECT_EQ(qvcli({"update", GPU_ID}, &output), QVCLI_OK) << output;
  for (const char* line : {"Quorvane Display: Download of driver finished.\n", "Creating driver backup: Quorvane Display\n",
                           "Extracting files... (2 entries)\n", "  quorvane_demo.inf\n", "Installing driver...\n",
                           "Quorvane Display: Driver installation finished.\n", "Installation of drivers finished.\n"})
    EXPECT_NE(output.find(line), std::string::npos) << line << " missing in:\n" << output;
  EXPECT_NE(DriverFile(), "old driver");
  TDriverDatamodel stored(machine.Ports());
  ASSERT_NE(stored.GetDevice(GPU_ID), nullptr);

  // A package swapped after the server confirmed it: exit 1, the file deleted, nothing
  // run or opened.
  const TDeviceProperties* device = stored.GetDevice(GPU_ID);
  const fs::path package = fs::path(folder.File("Downloads")) / device->strDriverDBId / "display-31_qva.zip";
  std::ofstream(package, std::ios::binary | std::ios::trunc) << "damaged";
  machine.shell.launches.clear();
  EXPECT_EQ(qvcli({"install", GPU_ID}, &output), QVCLI_SERVER_PROBLEM) << output;
  EXPECT_NE(output.find("Install of driver failed."), std::string::npos) << output;
  EXPECT_TRUE(machine.shell.launches.empty());
  EXPECT_FALSE(fs::exists(package.parent_path()));

  // A confirmed package that cannot be installed: exit 1, and the device's folder is opened.
  fs::create_directories(package.parent_path());
  std::ofstream(package, std::ios::binary | std::ios::trunc) << "damaged";
  RecordPackage(machine, device->strDriverDBId, package.string());
  EXPECT_EQ(qvcli({"install", GPU_ID}, &output), QVCLI_SERVER_PROBLEM) << output;
  EXPECT_NE(output.find("Install of driver failed."), std::string::npos) << output;
  ASSERT_EQ(machine.shell.launches.size(), 1u);
  EXPECT_EQ(machine.shell.launches[0].request.file, package.parent_path().string());
}

// Ctrl+C during qvcli update: whichever run it reaches stops, and nothing is installed.
TEST_F(UpdateLoop, QvcliUpdateStoppedByCtrlC) {
  Scan();
  model->DumpSettings();
  machine.registry.SetString(TRegRoot::LocalMachine, QV_POLICY_KEY, QV_POLICY_SERVER,
                            "127.0.0.1:" + std::to_string(port));
  const std::atomic<bool> interrupted{true};
  std::ostringstream out, err;
  EXPECT_EQ(RunQvcli({"update", GPU_ID}, machine.Ports(), out, err, &interrupted), QVCLI_STOPPED) << out.str() << err.str();
  EXPECT_EQ(DriverFile(), "old driver") << out.str();
}

}  // namespace
