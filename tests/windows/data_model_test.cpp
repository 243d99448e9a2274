// The data model on the real machine: folders and settings in the roaming profile.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "core/data_model.h"
#include "core/paths.h"
#include "core/server_policy.h"
#include "platform/win32/win32_machine.h"
#include "support/scoped_policy_value.h"

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

// Attacks on the server choice of the elevated program: what the unelevated user controls
// (its environment, its own hive's policy key) names another server and is ignored; the
// administrator's value under HKLM names the test server and is used.
TEST(Win32DataModel, OnlyTheMachinePolicyChoosesTheServer) {
  TWin32Machine machine;
  SetEnvironmentVariableW(L"QUORVANE_SERVER", L"attacker.example.org:8080");
  _wputenv(L"QUORVANE_SERVER=attacker.example.org:8080");
  auto userKey = machine.registry.OpenKey(TRegRoot::CurrentUser, QV_POLICY_KEY, TRegAccess::All, true);
  ASSERT_TRUE(userKey && userKey->WriteString(QV_POLICY_SERVER, "attacker.example.org:8080"));
  struct Case {
    const char* name;
    std::optional<std::string> policy;
    std::string host;
    int32_t port;
  };
  const Case cases[] = {
      {"environment and user hive only", std::nullopt, QV_SERVER_HOST, QV_SERVER_PORT},
      {"HKLM policy names the test server", "127.0.0.1:8080", "127.0.0.1", 8080},
      {"HKLM policy not a host and port", "127.0.0.1:0", QV_SERVER_HOST, QV_SERVER_PORT},
  };
  for (const Case& c : cases) {
    TScopedPolicyValue policy(machine.registry, QV_POLICY_SERVER, c.policy);
    TDriverDatamodel model(machine.Ports());
    EXPECT_EQ(model.ServerURL(), c.host) << c.name;
    EXPECT_EQ(model.ServerPort(), c.port) << c.name;
  }
  userKey->DeleteValue(QV_POLICY_SERVER);
  SetEnvironmentVariableW(L"QUORVANE_SERVER", nullptr);
  _wputenv(L"QUORVANE_SERVER=");
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
