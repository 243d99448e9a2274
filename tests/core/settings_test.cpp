#include <gtest/gtest.h>

#include <filesystem>

#include "core/errors.h"
#include "core/ini_file.h"
#include "support/sim_data_model.h"

namespace {

class Settings : public ::testing::Test, public TSimDataModelFixture {};

TEST_F(Settings, FirstRunCreatesFoldersAndDefaults) {
  TDriverDatamodel& model = Create();
  EXPECT_EQ(model.AppDir(), AppDir());
  EXPECT_TRUE(std::filesystem::is_directory(JoinPath(AppDir(), "Backup")));
  EXPECT_TRUE(std::filesystem::is_directory(JoinPath(AppDir(), "Download")));
  EXPECT_EQ(model.BackupLocation(), JoinPath(AppDir(), "Backup"));
  EXPECT_EQ(model.DownloadLocation(), JoinPath(AppDir(), "Download"));
  EXPECT_TRUE(model.ShowSplash());
  EXPECT_TRUE(model.ShowUnplugged());
  EXPECT_FALSE(model.StartatLogin() || model.CheckForUpdate() || model.RunScanAtStart() ||
               model.UseRestorePoints() || model.ProxyEnabled());
  EXPECT_EQ(model.ProxyPort(), 8080);
  EXPECT_EQ(model.Language(), 0);
  EXPECT_TRUE(model.IsFirstTimeScanned());
  EXPECT_EQ(model.ServerURL(), QV_SERVER_HOST);
  EXPECT_EQ(model.ServerPort(), 443);
  EXPECT_EQ(model.GetAppName(), "Quorvane");
}

TEST_F(Settings, ValueForms) {
  struct Case {
    const char* line;  // in [Proxy Configuration]
    bool enabled;
    int port;
  } cases[] = {
      {"Proxy Enabled=1", true, 8080},
      {"Proxy Enabled=0x1", true, 8080},
      {"Proxy Enabled=$10", true, 8080},
      {"Proxy Enabled=yes", false, 8080},
      {"Proxy Enabled=", false, 8080},
      {"Proxy Server Port=0", false, 8080},
      {"Proxy Server Port=-5", false, 8080},
      {"Proxy Server Port=0x1F90", false, 8080},
      {"Proxy Server Port=3128", false, 3128},
      {"Proxy Server Port=$C38", false, 3128},
      {"Proxy Server Port=31x", false, 8080},
      {"proxy server port = 3128", false, 3128},
  };
  for (const Case& c : cases) {
    WriteSettings(std::string("[Proxy Configuration]\n") + c.line + "\n");
    TDriverDatamodel& model = Create();
    EXPECT_EQ(model.ProxyEnabled(), c.enabled) << c.line;
    EXPECT_EQ(model.ProxyPort(), c.port) << c.line;
  }
}

TEST_F(Settings, GarbageLinesReadAsDefaultsAroundReadableKeys) {
  WriteSettings(
      "\xEF\xBB\xBFgarbage without equals\n=nokey\n[General Configuration\n"
      "[General Configuration]\r\n\x01\x02\xFF\r\nShow Splash=0\r\nLanguage=abc\r\n"
      "Auto Run Scan=1\r\n[Proxy Configuration]\nProxy Server Url=\nUserName=bob\n");
  TDriverDatamodel& model = Create();
  EXPECT_FALSE(model.ShowSplash());
  EXPECT_TRUE(model.RunScanAtStart());
  EXPECT_EQ(model.Language(), 0);
  EXPECT_EQ(model.ProxyURL(), "");
  EXPECT_EQ(model.ProxyUserName(), "bob");
}

TEST_F(Settings, EmptyProxyTextsLeaveTheFields) {
  TDriverDatamodel& model = Create();
  model.SetProxyURL("proxy.local");
  model.SetProxyPort(3128);
  WriteSettings("[Proxy Configuration]\nProxy Server Url=\nProxy Server Port=0\n");
  model.Initialize();
  EXPECT_EQ(model.ProxyURL(), "proxy.local");
  EXPECT_EQ(model.ProxyPort(), 3128);
}

TEST_F(Settings, RoundTripKeepsEveryValueInTheTableOrder) {
  TDriverDatamodel& model = Create();
  model.SetBackupLocation(folder.File("b"));
  model.SetLastBackupLocation(folder.File("b/2026"));
  model.SetProxyEnabled(true);
  model.SetProxyURL("proxy.example");
  model.SetProxyUserName("user");
  model.SetProxyPassword("pässword");
  model.SetProxyPort(3128);
  model.SetCheckForUpdate(true);
  model.SetStartatLogin(true);
  model.SetRunScanAtStart(true);
  model.SetShowSplash(false);
  model.SetShowUnplugged(false);
  model.SetUseRestorePoints(true);
  model.SetLanguage(7);
  model.DumpSettings();

  const std::string text = ReadSettings();
  const char* order[] = {"[Backup Settings]", "Location=", "Last Location=", "[Proxy Configuration]",
                         "Proxy Enabled=1", "Proxy Server Url=", "UserName=", "Password=pässword",
                         "Proxy Server Port=3128", "[General Configuration]", "Download Location=",
                         "Check Update=1", "Startup Launch=1", "Auto Run Scan=1", "Show Splash=0",
                         "Show Unplugged=0", "Restore Points=1", "Language=7"};
  size_t at = 0;
  for (const char* item : order) {
    size_t found = text.find(item, at);
    ASSERT_NE(found, std::string::npos) << item << " in\n" << text;
    at = found;
  }

  TDriverDatamodel& again = Create();
  EXPECT_EQ(again.BackupLocation(), folder.File("b"));
  EXPECT_EQ(again.LastBackupLocation(), folder.File("b/2026"));
  EXPECT_TRUE(again.ProxyEnabled());
  EXPECT_EQ(again.ProxyURL(), "proxy.example");
  EXPECT_EQ(again.ProxyPassword(), "pässword");
  EXPECT_EQ(again.ProxyPort(), 3128);
  EXPECT_TRUE(again.CheckForUpdate() && again.StartatLogin() && again.RunScanAtStart() &&
              again.UseRestorePoints());
  EXPECT_FALSE(again.ShowSplash() || again.ShowUnplugged());
  EXPECT_EQ(again.Language(), 7);
}

TEST_F(Settings, FailedWriteRaisesAndKeepsThePreviousFile) {
  TDriverDatamodel& model = Create();
  model.SetLanguage(3);
  model.DumpSettings();
  const std::string before = ReadSettings();

  machine.fileSystem.fullDisk = true;
  model.SetLanguage(5);
  try {
    model.DumpSettings();
    FAIL() << "no error";
  } catch (const EInOutError& error) {
    EXPECT_EQ(error.what(), "Unable to write to " + JoinPath(AppDir(), "config.ini"));
  }
  EXPECT_EQ(ReadSettings(), before);
}

TEST_F(Settings, FolderErrors) {
  TDriverDatamodel& model = Create();
  struct Case {
    std::string folder;
    std::string error;
  } cases[] = {
      {"Q:\\Quorvane\\Backup", "The drive cannot be found"},
      {"C:\\Quo<rvane", "Invalid characters in path"},
      {"C:\\a:b", "Invalid characters in path"},
      {folder.File("a|b"), "Invalid characters in path"},
      // No roaming folder at all: never a folder relative to the current directory.
      {"", "The folder for application data could not be found, so Quorvane cannot keep its settings."},
  };
  for (const Case& c : cases) {
    machine.shell.appDataFolder = c.folder;
    try {
      model.Initialize();
      ADD_FAILURE() << c.folder;
    } catch (const EInOutError& error) {
      EXPECT_EQ(error.what(), c.error) << c.folder;
    }
  }
}

TEST(IniFile, WritingKeepsForeignLinesAndReplacesValues) {
  TIniFile ini("; comment\n[Other]\nkeep=1\n\n[General Configuration]\nLanguage=2\n");
  ini.WriteInteger("General Configuration", "Language", 4);
  ini.WriteString("Backup Settings", "Location", "x");
  EXPECT_EQ(ini.Text(),
            "; comment\r\n[Other]\r\nkeep=1\r\n\r\n[General Configuration]\r\nLanguage=4\r\n"
            "[Backup Settings]\r\nLocation=x\r\n");
  EXPECT_EQ(TIniFile(ini.Text()).ReadInteger("general configuration", "LANGUAGE", 0), 4);
}

// Found by fuzz_ini_reader: a file starting with two byte-order marks hid its first section,
// and the program's next save, dropping one mark, brought it to life.
TEST(IniFile, ReadsTheSameBeforeAndAfterASave) {
  const std::string bom = "\xEF\xBB\xBF";
  for (const std::string& text : {bom + bom + "[General Configuration]\nCheck Update=1\n",
                                  bom + "[General Configuration]\nCheck Update=1\n"}) {
    TIniFile ini(text);
    EXPECT_TRUE(ini.ReadBool("General Configuration", "Check Update", false));
    ini.WriteString("Backup Settings", "Location", "x");
    const TIniFile saved(ini.Text());
    EXPECT_TRUE(saved.ReadBool("General Configuration", "Check Update", false));
    EXPECT_EQ(saved.Text(), ini.Text());
  }
}

}  // namespace
