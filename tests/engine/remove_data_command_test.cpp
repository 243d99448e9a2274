// The uninstaller's data removal (qvcli remove-data) on the simulated machine: which
// folders go, which are refused or left alone, and that nothing a link points to is touched.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>

#include "cli/commands.h"
#include "core/data_folder_removal.h"
#include "core/paths.h"
#include "platform/sim/sim_machine.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

// A machine whose roaming, program-data and Windows folders are folders of a temp folder,
// with a folder elsewhere that only links may point to.
class RemoveData : public ::testing::Test {
 public:
  RemoveData() {
    machine.shell.appDataFolder = folder.File("Roaming");
    machine.shell.programDataFolder = folder.File("ProgramData");
    machine.shell.windowsFolder = folder.File("Windows");
    folder.Write("Windows/system.ini", "system");
    folder.Write("Elsewhere/keep.txt", "keep");
  }
  std::string UserData() const { return folder.File("Roaming/Quorvane"); }
  std::string WorkArea() const { return folder.File("ProgramData/Quorvane"); }
  void FillUserData() const {
    folder.Write("Roaming/Quorvane/config.ini", "[General Configuration]\n");
    folder.Write("Roaming/Quorvane/config.bin", "scan");
    folder.Write("Roaming/Quorvane/Backup/2024-01-01/index.dat", "index");
    folder.Write("Roaming/Quorvane/Download/pkg/driver.zip", "zip");
  }
  void ExpectOthersUntouched() const {
    EXPECT_EQ(folder.Read("Elsewhere/keep.txt"), "keep");
    EXPECT_EQ(folder.Read("Windows/system.ini"), "system");
  }

  TTempFolder folder;
  TSimMachine machine;
};

TEST_F(RemoveData, FoldersRemovedRefusedOrLeftAlone) {
  struct Case {
    const char* name;
    std::function<void(RemoveData&)> arrange;
    TDataRemovalOutcome userData;
    TDataRemovalOutcome workArea;
    bool userDataStays;  // anything left at the user's data folder's path
  } cases[] = {
      {"both folders with their contents",
       [](RemoveData& t) {
         t.FillUserData();
         t.folder.Write("ProgramData/Quorvane/Staging/a/driver.inf", "inf");
       },
       droRemoved, droRemoved, false},
      {"neither folder there", [](RemoveData&) {}, droAbsent, droAbsent, false},
      {"a link inside the data folder to a folder elsewhere: the link goes, not its target",
       [](RemoveData& t) {
         t.FillUserData();
         fs::create_directory_symlink(t.folder.File("Elsewhere"), t.folder.File("Roaming/Quorvane/Backup/link"));
         fs::create_directory_symlink(t.folder.File("Windows"), t.folder.File("Roaming/Quorvane/Download/win"));
       },
       droRemoved, droAbsent, false},
      {"the data folder itself a link", [](RemoveData& t) {
         fs::create_directories(t.folder.File("Roaming"));
         fs::create_directory_symlink(t.folder.File("Elsewhere"), t.UserData());
       },
       droLeftAlone, droAbsent, true},
      {"the work area a link to the Windows folder", [](RemoveData& t) {
         fs::create_directories(t.folder.File("ProgramData"));
         fs::create_directory_symlink(t.folder.File("Windows"), t.WorkArea());
       },
       droAbsent, droLeftAlone, false},
      {"a file where the data folder would be", [](RemoveData& t) { t.folder.Write("Roaming/Quorvane", "x"); },
       droLeftAlone, droAbsent, true},
      {"the roaming folder unknown", [](RemoveData& t) { t.machine.shell.appDataFolder.clear(); }, droRefused,
       droAbsent, false},
      {"the roaming folder relative", [](RemoveData& t) { t.machine.shell.appDataFolder = "Roaming"; }, droRefused,
       droAbsent, false},
      {"the roaming folder redirected into the Windows folder",
       [](RemoveData& t) {
         t.machine.shell.appDataFolder = t.folder.File("Windows/System32");
         t.folder.Write("Windows/System32/Quorvane/kept.dll", "dll");
       },
       droRefused, droAbsent, false},
      {"the Windows folder unknown", [](RemoveData& t) {
         t.FillUserData();
         t.machine.shell.windowsFolder.clear();
       },
       droRefused, droRefused, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::error_code ignored;
    fs::remove_all(folder.File("Roaming"), ignored);
    fs::remove_all(folder.File("ProgramData"), ignored);
    machine.shell.appDataFolder = folder.File("Roaming");
    machine.shell.programDataFolder = folder.File("ProgramData");
    machine.shell.windowsFolder = folder.File("Windows");
    c.arrange(*this);
    const std::string windowsChild = folder.File("Windows/System32/Quorvane/kept.dll");
    const bool hadWindowsChild = fs::exists(windowsChild);

    const std::vector<TDataFolderRemoval> removals = RemoveProgramDataFolders(machine.fileSystem, machine.shell);

    ASSERT_EQ(removals.size(), 2u);
    EXPECT_EQ(removals[0].outcome, c.userData);
    EXPECT_EQ(removals[1].outcome, c.workArea);
    EXPECT_EQ(AllDataRemoved(removals), c.userData <= droAbsent && c.workArea <= droAbsent);
    EXPECT_EQ(fs::exists(fs::symlink_status(UserData())), c.userDataStays);
    ExpectOthersUntouched();
    if (hadWindowsChild) {
      EXPECT_EQ(folder.Read("Windows/System32/Quorvane/kept.dll"), "dll");
    }
  }
}

TEST_F(RemoveData, AFileHeldOpenLeavesTheFolderAndFails) {
  FillUserData();
  auto held = machine.fileSystem.OpenFile(JoinPath(UserData(), "config.bin"), fomReadDenyWriters);
  ASSERT_TRUE(held);
  const auto removals = RemoveProgramDataFolders(machine.fileSystem, machine.shell);
  EXPECT_EQ(removals[0].outcome, droFailed);
  EXPECT_FALSE(AllDataRemoved(removals));
}

// The command removes the fixed folders whatever config.ini names, and does not make them again.
TEST_F(RemoveData, CommandIgnoresTheLocationsOfConfigIni) {
  FillUserData();
  const std::string windows = folder.File("Windows");
  folder.Write("Roaming/Quorvane/config.ini", "[Backup Settings]\nLocation=" + windows +
                                                  "\n[General Configuration]\nDownload Location=" + windows + "\n");
  std::ostringstream out, err;
  EXPECT_EQ(RunQvcli({"remove-data"}, machine.Ports(), out, err), QVCLI_OK) << err.str();
  EXPECT_FALSE(fs::exists(UserData()));
  ExpectOthersUntouched();
  EXPECT_NE(out.str().find("Removed: " + UserData()), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("Not there: " + WorkArea()), std::string::npos) << out.str();
}

TEST_F(RemoveData, CommandFailsWhenSomethingStays) {
  fs::create_directories(folder.File("Roaming"));
  fs::create_directory_symlink(folder.File("Elsewhere"), UserData());
  std::ostringstream out, err;
  EXPECT_EQ(RunQvcli({"remove-data"}, machine.Ports(), out, err), QVCLI_SERVER_PROBLEM);
  EXPECT_NE(out.str().find("Left alone"), std::string::npos) << out.str();
  EXPECT_EQ(RunQvcli({"remove-data", "C:\\Windows"}, machine.Ports(), out, err), QVCLI_USAGE);
  ExpectOthersUntouched();
}

}  // namespace
