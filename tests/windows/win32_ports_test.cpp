// The Win32 ports against the system's real services.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>

#include "core/file_md5.h"
#include "core/launch.h"
#include "core/paths.h"
#include "core/windows_policies.h"
#include "devices/problem_texts.h"
#include "platform/win32/win32_machine.h"
#include "platform/win32/win32_text.h"
#include "res/string_ids.h"

namespace {

constexpr DWORD kDummyError = 0xDEADBEEF;

std::string ProgramFolder() {
  TWin32Processes processes;
  return FromPath(ToPath(processes.ModuleFileName()).parent_path());
}

TEST(Win32Registry, OpenMissingKeySetsLastError) {
  TWin32Registry registry;
  SetLastError(kDummyError);
  EXPECT_EQ(registry.OpenKey(TRegRoot::CurrentUser, "Software\\Quorvane Tests\\Missing", TRegAccess::Read, false),
            nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(Win32Registry, ValuesRoundTrip) {
  TWin32Registry registry;
  auto key = registry.OpenKey(TRegRoot::CurrentUser, "Software\\Quorvane Tests\\", TRegAccess::All, true);
  ASSERT_NE(key, nullptr);
  const std::string longText = std::string(300, 'x') + " – ü";  // beyond the first read buffer
  EXPECT_TRUE(key->WriteString("Text", longText));
  EXPECT_TRUE(key->WriteDword("Number", 0xFFFFFFFF));
  EXPECT_EQ(key->ReadString("Text"), longText);
  EXPECT_EQ(key->ReadDword("Number"), 0xFFFFFFFFu);
  EXPECT_EQ(key->ReadDword("Text"), std::nullopt);
  EXPECT_EQ(key->ValueType("Text"), REG_SZ);
  EXPECT_EQ(key->ValueType("Missing"), std::nullopt);
}

TEST(Win32Registry, DriverUpdatePolicyRoundTrip) {
  TWin32Registry registry;
  for (bool enable : {false, true, false, true}) {
    SetWindowsDriverUpdates(registry, enable);
    EXPECT_EQ(GetWindowsDriverUpdates(registry), enable);
    auto searching = registry.OpenKey(TRegRoot::LocalMachine, DRIVER_SEARCHING_KEY, TRegAccess::Read, false);
    ASSERT_NE(searching, nullptr);
    EXPECT_EQ(searching->ReadDword("DriverUpdateWizardWuSearchEnabled"), enable ? 1u : 0u);
  }
}

TEST(Win32Registry, LanguageChoiceRoundTrip) {
  TWin32Machine machine;
  const std::string program = machine.processes.ModuleFileName();
  for (int index : {2, 9, 0, 7}) {
    SaveLanguageChoice(machine.registry, program, index);
    EXPECT_EQ(LoadLanguageChoice(machine.registry, program), index);
  }
  auto key = machine.registry.OpenKey(TRegRoot::CurrentUser, LANGUAGE_CHOICE_KEY, TRegAccess::All, false);
  ASSERT_NE(key, nullptr);
  key->WriteString(program, "de");
  EXPECT_EQ(LoadLanguageChoice(machine.registry, program), 0);
}

TEST(Win32Hashing, CngDigestsMatchRfc1321) {
  const std::pair<std::string, std::string> suite[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
      {std::string(200000, 'a'), "561b1994f6baacd6e5eaf4baaa12849f"},
  };
  TWin32Hashing hashing;
  const std::string file = JoinPath(ProgramFolder(), "md5 test – ü.bin");
  for (const auto& [content, digest] : suite) {
    std::ofstream(ToPath(file), std::ios::binary) << content;
    EXPECT_EQ(GetFileMD5(hashing, file), digest);
  }
  std::filesystem::remove(ToPath(file));
}

TEST(Win32Processes, FindsThisProgramByPathInOtherCase) {
  TWin32Processes processes;
  std::string path = processes.ModuleFileName();
  ASSERT_FALSE(path.empty());
  std::string upper = path;
  for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  EXPECT_TRUE(IsProcessRunning(processes, upper));
  EXPECT_FALSE(IsProcessRunning(processes, "C:\\no\\such-program-qv.exe"));
  EXPECT_FALSE(GetCurrentUserName(processes).empty());
}

TEST(Win32Shell, LaunchAndWaitReturnsAfterTheProgramEnded) {
  TWin32Shell shell;
  const std::string marker = JoinPath(ProgramFolder(), "child-marker.txt");
  std::filesystem::remove(ToPath(marker));
  const std::string child = JoinPath(ProgramFolder(), "qv_test_child.exe");
  EXPECT_TRUE(LaunchAndWait(shell, 0, child, "\"" + marker + "\" 700", true, true));
  EXPECT_TRUE(std::filesystem::exists(ToPath(marker)));
  std::filesystem::remove(ToPath(marker));
  EXPECT_FALSE(LaunchAndWait(shell, 0, JoinPath(ProgramFolder(), "missing-program.exe"), "", true, true));
}

TEST(Win32Shell, RoamingAppDataFolderExists) {
  TWin32Shell shell;
  std::string folder = shell.RoamingAppDataFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(std::filesystem::is_directory(ToPath(folder)));
}

TEST(Win32Locale, CollationIgnoresCase) {
  TWin32Locale locale;
  EXPECT_EQ(locale.CompareText("PCI\\VEN_8086", "pci\\ven_8086"), 0);
  EXPECT_EQ(locale.CompareText("ÄÖÜ", "äöü"), 0);
  EXPECT_LT(locale.CompareText("ACPI", "PCI"), 0);
  EXPECT_GT(locale.CompareText("usb", "PCI"), 0);
  EXPECT_FALSE(locale.DecimalSeparator().empty());
}

TEST(Win32Locale, DayNamesFromSundayAndShortDates) {
  TWin32Locale locale;
  // 2024-03-03 was a Sunday: each day's "dddd" is the name of its index.
  for (int day = 0; day < 7; ++day) {
    SYSTEMTIME date{};
    date.wYear = 2024;
    date.wMonth = 3;
    date.wDay = static_cast<WORD>(3 + day);
    wchar_t name[80] = {};
    ASSERT_GT(GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &date, L"dddd", name, 80, nullptr), 0);
    EXPECT_EQ(locale.LongDayName(day), WideToUtf8(name)) << day;
  }
  EXPECT_EQ(locale.LongDayName(7), "");
  EXPECT_NE(locale.ShortDate(2024, 3, 4).find("24"), std::string::npos) << locale.ShortDate(2024, 3, 4);
}

TEST(Win32FileSystem, DrivesAndReplacement) {
  TWin32FileSystem fileSystem;
  EXPECT_TRUE(fileSystem.DriveExists('C'));
  const std::string source = JoinPath(ProgramFolder(), "replace-source.txt");
  const std::string target = JoinPath(ProgramFolder(), "replace-target.txt");
  std::ofstream(ToPath(source)) << "new";
  std::ofstream(ToPath(target)) << "old";
  EXPECT_TRUE(fileSystem.MoveFileOver(source, target));
  std::ifstream in(ToPath(target));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "new");
  in.close();
  EXPECT_FALSE(std::filesystem::exists(ToPath(source)));
  EXPECT_FALSE(fileSystem.MoveFileOver(source, target));  // the source is gone now

  // A new file is written whole; an existing one is neither replaced nor removed.
  const std::string bytes(300 * 1024, 'q');
  EXPECT_TRUE(fileSystem.WriteNewFile(source, bytes));
  std::ifstream written(ToPath(source), std::ios::binary);
  EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(written), {}) == bytes);
  written.close();
  EXPECT_FALSE(fileSystem.WriteNewFile(target, "other"));
  std::ifstream kept(ToPath(target));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "new");
  kept.close();
  std::filesystem::remove(ToPath(source));
  std::filesystem::remove(ToPath(target));
}

TEST(Win32StringTable, ProblemTextsFromResources) {
  TWin32StringTable strings;
  TProblemTexts texts(strings);
  EXPECT_EQ(texts.Text(28), "The drivers for this device are not installed. (Code 28)");
  EXPECT_EQ(texts.Text(35), "Your computer's system firmware does not. (Code 35)");
  EXPECT_EQ(texts.Text(2), "");
  EXPECT_EQ(strings.Load(IDS_BUTTON_CANCEL), "&Cancel");
}

}  // namespace
