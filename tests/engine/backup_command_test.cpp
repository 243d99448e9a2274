// qvcli backup, backups, restore and uninstall on the simulated machine, with a
// stored scan result that names the device.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "core/paths.h"
#include "support/sim_data_model.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* HID = "ROOT\\QUORVANE_DISK";
constexpr const char* SYSTEM_CLASS = "{4d36e97d-e325-11ce-bfc1-08002be10318}";

void Write(const std::string& path, const std::string& content) {
  fs::create_directories(ToPath(path).parent_path());
  std::ofstream(ToPath(path), std::ios::binary) << content;
}

class BackupCommandTest : public TSimDataModelFixture, public ::testing::Test {
 protected:
  BackupCommandTest() {
    machine.devices.systemDirectory = folder.File("Windows/System32");
    machine.devices.AddClass(SYSTEM_CLASS, "System", "System devices");
    const std::string inf = folder.File("Windows/INF/oem1.inf");
    Write(inf,
          "[Version]\r\nSignature=\"$Windows NT$\"\r\nProvider=Quorvane\r\nDriverVer=03/04/2021,1.0.0.0\r\n"
          "[Manufacturer]\r\nQuorvane=Models\r\n[Models]\r\nDisk=Disk_Install," +
              std::string(HID) + "\r\n[Disk_Install]\r\n");
    TSimDriver driver;
    driver.infPath = inf;
    driver.section = "Disk_Install";
    driver.version = 0x0001000000000000ULL;
    driver.hardwareIds = {HID};
    TSimDevice device;
    device.instanceId = "ROOT\\SYSTEM\\0000";
    device.classGuid = GuidFromText(SYSTEM_CLASS);
    device.description = "Disk";
    device.hardwareIds = {HID};
    device.driver = driver;
    machine.devices.AddDevice(device);

    // The stored scan result that the commands pick their devices from.
    Create();
    auto record = std::make_unique<TDeviceProperties>();
    record->strName = "Disk";
    record->strHID = HID;
    record->strHIDs = {HID};
    record->strClassGUID = "System";
    record->strVersion = "1.0.0.0";
    model->AddDevice(std::move(record));
    model->DumpScanResults();
  }

  int Run(const std::vector<std::string>& arguments) {
    out.str("");
    err.str("");
    return RunQvcli(arguments, machine.Ports(), out, err);
  }

  std::string BackupRoot() const { return JoinPath(AppDir(), "Backup"); }

  std::ostringstream out, err;
};

TEST_F(BackupCommandTest, BackupListRestoreAndUninstall) {
  ASSERT_EQ(Run({"backup", HID}), QVCLI_OK) << err.str();
  EXPECT_NE(out.str().find("Creating driver backup: Disk\nBackup finished: Disk\nBackup of drivers finished."),
            std::string::npos)
      << out.str();
  EXPECT_TRUE(fs::exists(ToPath(JoinPath(BackupRoot(), "Disk - 1.0.0.0/index.dat"))));

  ASSERT_EQ(Run({"backups"}), QVCLI_OK);
  EXPECT_EQ(out.str(), "Disk - 1.0.0.0\n");

  ASSERT_EQ(Run({"restore", "Disk - 1.0.0.0"}), QVCLI_OK) << err.str();
  EXPECT_EQ(out.str(), "Driver restored.\n");

  ASSERT_EQ(Run({"uninstall", HID}), QVCLI_OK) << err.str();
  EXPECT_TRUE(machine.devices.devices.front().removed);
  EXPECT_EQ(Run({"uninstall", HID}), QVCLI_SERVER_PROBLEM);
  // The device is gone: its backup fails, and so does its restore.
  EXPECT_EQ(Run({"backup", HID}), QVCLI_SERVER_PROBLEM);
  EXPECT_NE(out.str().find("Backup failed: Disk"), std::string::npos) << out.str();
  EXPECT_EQ(Run({"restore", "Disk - 1.0.0.0"}), QVCLI_SERVER_PROBLEM);
  EXPECT_EQ(err.str(), "Driver could not be restored successfully.\n");
}

// A backup changed since it was made is refused; one made before backups were checked is
// listed as unverified and restored only with --unverified.
TEST_F(BackupCommandTest, ChangedAndUnverifiedBackups) {
  ASSERT_EQ(Run({"backup", HID}), QVCLI_OK) << err.str();
  const std::string made = JoinPath(BackupRoot(), "Disk - 1.0.0.0");
  Write(JoinPath(made, "oem1.inf"), "changed");
  EXPECT_EQ(Run({"restore", "Disk - 1.0.0.0"}), QVCLI_SERVER_PROBLEM);
  EXPECT_EQ(err.str(), "This backup was changed after it was made and will not be restored.\n");

  // The same files as an older version left them: no manifest, no record.
  const std::string older = JoinPath(BackupRoot(), "Disk - 0.9");
  fs::create_directories(ToPath(older));
  for (const char* name : {"oem1.inf", "index.dat"})
    fs::copy_file(ToPath(JoinPath(made, name)), ToPath(JoinPath(older, name)));
  Write(JoinPath(older, "oem1.inf"), folder.Read("Windows/INF/oem1.inf"));
  ASSERT_EQ(Run({"backups"}), QVCLI_OK);
  EXPECT_EQ(out.str(), "Disk - 0.9\tunverified\nDisk - 1.0.0.0\n");
  EXPECT_EQ(Run({"restore", "Disk - 0.9"}), QVCLI_SERVER_PROBLEM);
  EXPECT_EQ(err.str(),
            "This backup was made by an older version and cannot be checked for changes; restore it with "
            "--unverified to restore it anyway.\n");
  EXPECT_EQ(Run({"restore", "Disk - 0.9", "--unverified"}), QVCLI_OK) << err.str();
  EXPECT_EQ(out.str(), "Driver restored.\n");
}

TEST_F(BackupCommandTest, BackupToAnotherFolderKeepsTheSettingsLocation) {
  const std::string target = folder.File("elsewhere");
  ASSERT_EQ(Run({"backup", HID, "--to", target}), QVCLI_OK) << err.str();
  EXPECT_TRUE(fs::exists(ToPath(JoinPath(target, "Disk - 1.0.0.0/oem1.inf"))));
  TDriverDatamodel reloaded(machine.Ports());
  EXPECT_EQ(reloaded.BackupLocation(), BackupRoot());
  EXPECT_EQ(reloaded.LastBackupLocation(), target);
}

TEST_F(BackupCommandTest, BadUsage) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"backup"}, {"backup", "PCI\\UNKNOWN"}, {"backup", HID, "--to"}, {"restore"},
        {"restore", "no such backup"}, {"restore", "a", "b"}, {"restore", "--unverified"}, {"restore", "a", "--all"},
        {"uninstall"}, {"uninstall", HID, HID}, {"backups", "--json"}}) {
    EXPECT_EQ(Run(arguments), QVCLI_USAGE) << arguments.front() << " " << arguments.size();
  }
}

}  // namespace
