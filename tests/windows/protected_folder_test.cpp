// The protected work area's folders on the real Win32 file system: the security descriptor a
// protected folder is made with, read back by path; the check that trusts only such a folder;
// and the work area under the real ProgramData folder. Wine neither keeps nor enforces security
// descriptors, so what the rights do for a user process is shown on the simulated machine.
#include <gtest/gtest.h>

#include <windows.h>
// aclapi.h and sddl.h need windows.h first.
#include <aclapi.h>
#include <sddl.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "engine/work_area.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_shell.h"
#include "windows/directory_link.h"
#include "windows/wine_detection.h"

namespace fs = std::filesystem;

namespace {

std::string Utf8(const fs::path& path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// The owner and DACL of a path as SDDL, read by GetNamedSecurityInfoW.
std::wstring SecurityText(const fs::path& path, DWORD& error) {
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  error = GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                &owner, nullptr, &dacl, nullptr, &descriptor);
  if (error != ERROR_SUCCESS) return {};
  const TLocalMemory<void> ownedDescriptor(descriptor);
  LPWSTR text = nullptr;
  if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(
          descriptor, SDDL_REVISION_1, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &text, nullptr)) {
    error = GetLastError();
    return {};
  }
  const TLocalMemory<wchar_t> ownedText(text);
  return text;
}

// The string form of this process's user, the owner Wine shows for every file.
std::wstring TokenUserText() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  const TKernelHandle owned(token);
  alignas(TOKEN_USER) BYTE buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE] = {};
  DWORD size = sizeof(buffer);
  LPWSTR text = nullptr;
  if (!GetTokenInformation(token, TokenUser, buffer, size, &size) ||
      !ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text))
    return {};
  const TLocalMemory<wchar_t> ownedText(text);
  return text;
}

// Wine keeps no security descriptor of a file: it shows the one it makes from the Unix mode,
// with its user as the owner. What it shows for a folder of mode 0750 and of mode 0755.
std::wstring WineModeDescriptor(bool othersRead) {
  const std::wstring user = TokenUserText();
  return L"O:" + user + L"D:(A;OICI;FA;;;SY)(A;OICI;FA;;;" + user + L")" + (othersRead ? L"(A;OICI;0x1200a9;;;WD)" : L"");
}

constexpr const char* WINE_KEEPS_NO_DESCRIPTOR =
    "Wine 8 keeps no security descriptor of a file and enforces none: GetNamedSecurityInfoW shows one "
    "made from the Unix mode, owned by the Wine user, so a folder of default rights reads as protected too";

class ProtectedFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("qv-protected-" + std::to_string(GetCurrentProcessId()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
    fs::create_directories(root);
  }
  void TearDown() override {
    std::error_code ignored;
    if (!link.empty()) RemoveDirectoryLink(link);
    fs::remove_all(root, ignored);
  }

  fs::path root;
  fs::path link;
  TWin32FileSystem fileSystem;
};

TEST_F(ProtectedFolder, IsMadeWithTheAdministratorsOnlyDescriptor) {
  const fs::path folder = root / "Quorvane";
  ASSERT_TRUE(fileSystem.CreateProtectedFolder(Utf8(folder))) << GetLastError();
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(fileSystem.CreateProtectedFolder(Utf8(folder))) << "an existing folder is never taken";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));

  DWORD error = 0;
  const std::wstring security = SecurityText(folder, error);
  ASSERT_EQ(error, static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_TRUE(fileSystem.IsProtectedFolder(Utf8(folder)));
  const fs::path inside = folder / "Staging";
  ASSERT_TRUE(CreateDirectoryW(inside.c_str(), nullptr));
  const std::wstring inherited = SecurityText(inside, error);
  if (RunsUnderWine()) {
    EXPECT_EQ(security, WineModeDescriptor(false));
    EXPECT_EQ(inherited, WineModeDescriptor(true));
    RecordProperty("known_wine_deviation", WINE_KEEPS_NO_DESCRIPTOR);
    return;
  }
  EXPECT_EQ(security, L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)");
  // What is made inside inherits the same entries.
  EXPECT_NE(inherited.find(L"(A;OICIID;FA;;;SY)(A;OICIID;FA;;;BA)(A;OICIID;0x1200a9;;;BU)"), std::wstring::npos)
      << std::string(inherited.begin(), inherited.end());
}

TEST_F(ProtectedFolder, OnlyAProtectedRealFolderIsTrusted) {
  const fs::path plain = root / "plain";
  ASSERT_TRUE(CreateDirectoryW(plain.c_str(), nullptr));
  std::ofstream(root / "file.txt") << "x";
  const fs::path protectedFolder = root / "protected";
  ASSERT_TRUE(fileSystem.CreateProtectedFolder(Utf8(protectedFolder)));
  link = root / "link";
  DWORD junctionError = 0;
  const std::string linkKind = MakeDirectoryLink(link, protectedFolder, junctionError);
  ASSERT_FALSE(linkKind.empty()) << junctionError;

  // A folder everyone may write: its DACL grants Everyone full control (and this user, so that
  // Wine, which maps the DACL to a Unix mode, lets the test remove it again).
  const fs::path open = root / "open";
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const std::wstring openRights = L"D:P(A;OICI;FA;;;WD)(A;OICI;FA;;;" + TokenUserText() + L")";
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(openRights.c_str(), SDDL_REVISION_1, &descriptor,
                                                                   nullptr));
  const TLocalMemory<void> ownedDescriptor(descriptor);
  SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
  ASSERT_TRUE(CreateDirectoryW(open.c_str(), &attributes));

  const struct {
    const char* label;
    fs::path path;
  } untrusted[] = {{"a file", root / "file.txt"},
                   {"missing", root / "missing"},
                   {"a link to a protected folder", link}};
  for (const auto& c : untrusted) {
    SCOPED_TRACE(c.label);
    EXPECT_FALSE(fileSystem.IsProtectedFolder(Utf8(c.path)));
  }
  // Refused by their descriptors on Windows; under Wine, which shows every folder as its
  // user's, they read as protected.
  for (const fs::path& folder : {plain, open}) {
    SCOPED_TRACE(Utf8(folder));
    if (RunsUnderWine()) {
      EXPECT_TRUE(fileSystem.IsProtectedFolder(Utf8(folder)));
      RecordProperty("known_wine_deviation", WINE_KEEPS_NO_DESCRIPTOR);
    } else {
      EXPECT_FALSE(fileSystem.IsProtectedFolder(Utf8(folder)));
    }
  }
}

// The work area under the machine's real ProgramData folder, made or checked as the install
// run makes it; a folder of the default rights at the place of its staging folder is moved
// aside, kept as it is, and a protected one made instead.
TEST_F(ProtectedFolder, TheWorkAreaIsMadeInProgramData) {
  TWin32Shell shell;
  const std::string programData = shell.ProgramDataFolder();
  ASSERT_FALSE(programData.empty());
  TWorkArea workArea(shell, fileSystem);
  const fs::path staging = fs::path(programData) / "Quorvane" / "Staging";
  ASSERT_EQ(workArea.Folder("Staging"), Utf8(staging));
  EXPECT_TRUE(fileSystem.IsProtectedFolder(programData + "\\Quorvane"));

  const fs::path aside = staging.string() + ".untrusted-1";
  fs::remove_all(aside);
  ASSERT_TRUE(fs::remove(staging));
  ASSERT_TRUE(CreateDirectoryW(staging.c_str(), nullptr));
  std::ofstream(staging / "planted.txt") << "planted";
  if (RunsUnderWine()) {
    EXPECT_TRUE(fileSystem.IsProtectedFolder(Utf8(staging)));
    RecordProperty("known_wine_deviation", WINE_KEEPS_NO_DESCRIPTOR);
    fs::remove_all(staging);
    EXPECT_EQ(workArea.Folder("Staging"), Utf8(staging));
    return;
  }
  ASSERT_FALSE(fileSystem.IsProtectedFolder(Utf8(staging)));

  EXPECT_EQ(workArea.Folder("Staging"), Utf8(staging));
  EXPECT_TRUE(fileSystem.IsProtectedFolder(Utf8(staging)));
  EXPECT_TRUE(fs::is_empty(staging));
  EXPECT_TRUE(fs::exists(aside / "planted.txt"));
  fs::remove_all(aside);
}

}  // namespace
