// The data model on the real machine: folders and settings in the roaming profile.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/data_model.h"
#include "core/paths.h"
#include "platform/win32/win32_machine.h"

namespace {

TEST(Win32DataModel, FirstRunCreatesTheDataFolders) {
  TWin32Machine machine;
  const std::string appDir = JoinPath(machine.shell.RoamingAppDataFolder(), "Quorvane");
  std::filesystem::remove_all(ToPath(appDir));

  TDriverDatamodel model(machine.Ports());
  EXPECT_EQ(model.AppDir(), appDir);
  EXPECT_TRUE(std::filesystem::is_directory(ToPath(JoinPath(appDir, "Backup"))));
  EXPECT_TRUE(std::filesystem::is_directory(ToPath(JoinPath(appDir, "Download"))));
  EXPECT_TRUE(model.IsFirstTimeScanned());

  model.SetProxyURL("proxy.test");
  model.SetLanguage(4);
  model.DumpSettings();
  model.DumpSettings();  // replaces the existing file
  TDriverDatamodel again(machine.Ports());
  EXPECT_EQ(again.ProxyURL(), "proxy.test");
  EXPECT_EQ(again.Language(), 4);
  for (const auto& item : std::filesystem::directory_iterator(ToPath(appDir)))
    EXPECT_NE(item.path().extension(), ".tmp") << item.path();  // no temporary file left
}

TEST(Win32DataModel, MissingDriveRaisesItsText) {
  TWin32FileSystem fileSystem;
  char missing = 0;
  for (char letter = 'Q'; letter <= 'Y' && !missing; ++letter)
    if (!fileSystem.DriveExists(letter)) missing = letter;
  ASSERT_NE(missing, 0);
  try {
    ForceFolder(fileSystem, std::string(1, missing) + ":\\Quorvane\\Backup");
    FAIL() << "no error";
  } catch (const std::exception& error) {
    EXPECT_STREQ(error.what(), "The drive cannot be found");
  }
}

}  // namespace
