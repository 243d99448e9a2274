#include <gtest/gtest.h>

#include "core/errors.h"
#include "core/file_md5.h"
#include "core/launch.h"
#include "core/windows_policies.h"
#include "platform/sim/sim_machine.h"
#include "support/temp_folder.h"

namespace {

TEST(LaunchAndWait, RequestAndWait) {
  TSimMachine machine;
  EXPECT_TRUE(LaunchAndWait(machine.shell, 77, "C:\\setup.exe", "/S", false, true));
  ASSERT_EQ(machine.shell.launches.size(), 1u);
  const TSimShell::TLaunch& launch = machine.shell.launches[0];
  EXPECT_EQ(launch.request.mask, 0x540u);
  EXPECT_EQ(launch.request.verb, "runas");
  EXPECT_EQ(launch.request.ownerWindow, 77u);
  EXPECT_EQ(launch.request.parameters, "/S");
  EXPECT_EQ(launch.request.show, 1);
  EXPECT_TRUE(launch.waited);

  EXPECT_TRUE(LaunchAndWait(machine.shell, 0, "rstrui.exe", "", true, false));
  EXPECT_EQ(machine.shell.launches[1].request.verb, "open");
  EXPECT_FALSE(machine.shell.launches[1].waited);

  machine.shell.executeSucceeds = false;  // the user declined elevation
  EXPECT_FALSE(LaunchAndWait(machine.shell, 0, "setup.exe", "", false, true));
}

TEST(RestartApplication, StartsTheCopyWithPidThenQuits) {
  TSimMachine machine;
  int quits = 0;
  EXPECT_TRUE(RestartApplication(machine.processes, [&] { ++quits; }));
  EXPECT_EQ(machine.processes.started,
            (std::vector<std::string>{"\"C:\\Program Files\\Quorvane\\Quorvane.exe\" /pid:4242"}));
  EXPECT_EQ(quits, 1);

  machine.processes.createSucceeds = false;
  EXPECT_FALSE(RestartApplication(machine.processes, [&] { ++quits; }));
  EXPECT_EQ(quits, 1);
}

TEST(RebootSystem, EnablesPrivilegeAndAsksForForcedRestart) {
  TSimMachine machine;
  EXPECT_TRUE(RebootSystem(machine.power));
  ASSERT_EQ(machine.power.exitRequests.size(), 1u);
  EXPECT_EQ(machine.power.exitRequests[0].flags, 0x12u);
  EXPECT_EQ(machine.power.exitRequests[0].reason, 0x8002000Du);

  machine.power.privilegeAvailable = false;  // the request is still made, and refused
  EXPECT_FALSE(RebootSystem(machine.power));
  EXPECT_EQ(machine.power.exitRequests.size(), 2u);
}

TEST(IsProcessRunning, ByFileNameInAnyCase) {
  TSimMachine machine;
  EXPECT_TRUE(IsProcessRunning(machine.processes, "C:\\Users\\x\\AppData\\QUORVANE.EXE"));
  EXPECT_TRUE(IsProcessRunning(machine.processes, "Explorer.exe"));
  EXPECT_FALSE(IsProcessRunning(machine.processes, "C:\\Windows\\explorer"));
  EXPECT_FALSE(IsProcessRunning(machine.processes, "setup.exe"));
}

TEST(WindowsDriverUpdates, ReadRule) {
  struct Case {
    const char* what;
    std::optional<uint32_t> value;
    bool denied;
    bool expected;
  } cases[] = {
      {"no key", std::nullopt, false, true},
      {"value 0", 0u, false, true},
      {"value 1", 1u, false, false},
      {"value 2", 2u, false, false},
      {"key cannot be opened", 1u, true, true},
  };
  for (const Case& c : cases) {
    TSimRegistry registry;
    if (c.value) registry.SetDword(TRegRoot::LocalMachine, DEVICE_METADATA_KEY, "PreventDeviceMetadataFromNetwork", *c.value);
    if (c.denied) registry.DenyKey(TRegRoot::LocalMachine, DEVICE_METADATA_KEY);
    EXPECT_EQ(GetWindowsDriverUpdates(registry), c.expected) << c.what;
  }
  TSimRegistry registry;
  EXPECT_TRUE(GetWindowsDriverUpdates(registry));
  EXPECT_TRUE(registry.KeyExists(TRegRoot::LocalMachine, DEVICE_METADATA_KEY));  // created on read

  registry.SetString(TRegRoot::LocalMachine, DEVICE_METADATA_KEY, "PreventDeviceMetadataFromNetwork", "1");
  EXPECT_THROW(GetWindowsDriverUpdates(registry), ERegistryError);
}

TEST(WindowsDriverUpdates, WritesBothValues) {
  for (bool enable : {false, true}) {
    TSimRegistry registry;
    SetWindowsDriverUpdates(registry, enable);
    EXPECT_EQ(registry.Value(TRegRoot::LocalMachine, DEVICE_METADATA_KEY, "PreventDeviceMetadataFromNetwork")->dword,
              enable ? 0u : 1u);
    EXPECT_EQ(registry.Value(TRegRoot::LocalMachine, DRIVER_SEARCHING_KEY, "DriverUpdateWizardWuSearchEnabled")->dword,
              enable ? 1u : 0u);
    EXPECT_EQ(GetWindowsDriverUpdates(registry), enable);
  }
  TSimRegistry registry;
  registry.DenyKey(TRegRoot::LocalMachine, DEVICE_METADATA_KEY);
  SetWindowsDriverUpdates(registry, false);  // the first key is skipped, the second written
  EXPECT_EQ(registry.Value(TRegRoot::LocalMachine, DRIVER_SEARCHING_KEY, "DriverUpdateWizardWuSearchEnabled")->dword, 0u);
}

TEST(LanguageChoice, RoundTripAndUnknownCodes) {
  const std::string program = "C:\\Program Files\\Quorvane\\Quorvane.exe";
  TSimRegistry registry;
  EXPECT_EQ(LoadLanguageChoice(registry, program), 0);
  for (int index = 0; index < 10; ++index) {
    SaveLanguageChoice(registry, program, index);
    EXPECT_EQ(LoadLanguageChoice(registry, program), index);
  }
  EXPECT_EQ(registry.Value(TRegRoot::CurrentUser, LANGUAGE_CHOICE_KEY, program)->text, "SV");
  for (const char* stored : {"de", "XX", ""}) {
    registry.SetString(TRegRoot::CurrentUser, LANGUAGE_CHOICE_KEY, program, stored);
    EXPECT_EQ(LoadLanguageChoice(registry, program), 0) << stored;
  }
  SaveLanguageChoice(registry, program, 10);  // out of range: nothing written
  EXPECT_EQ(registry.Value(TRegRoot::CurrentUser, LANGUAGE_CHOICE_KEY, program)->text, "");
}

TEST(GetFileMD5, Rfc1321Suite) {
  const std::pair<std::string, std::string> suite[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  TTempFolder folder;
  TSimMachine machine;
  for (const auto& [content, digest] : suite) {
    folder.Write("file.bin", content);
    EXPECT_EQ(GetFileMD5(machine.hashing, folder.File("file.bin")), digest) << content;
  }
  folder.Write("large.bin", std::string(200000, 'a'));  // several read chunks
  EXPECT_EQ(GetFileMD5(machine.hashing, folder.File("large.bin")), "561b1994f6baacd6e5eaf4baaa12849f");
  EXPECT_THROW(GetFileMD5(machine.hashing, folder.File("missing.bin")), EInOutError);
}

}  // namespace
