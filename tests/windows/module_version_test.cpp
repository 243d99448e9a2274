// The program's own version resource, read through the Win32 port and encoded
// as the version message; this test program carries version 2.1.0.37.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>

#include "platform/win32/win32_module_version.h"
#include "platform/win32/win32_text.h"
#include "proto/client_codecs.h"

namespace {

TEST(Win32ModuleVersion, ReadsThisProgramsVersion) {
  TWin32ModuleVersion moduleVersion;
  std::optional<TFileVersion> version = moduleVersion.OwnFileVersion();
  ASSERT_TRUE(version.has_value());
  EXPECT_EQ(version->versionMS, (2u << 16) | 1u);
  EXPECT_EQ(version->versionLS, (0u << 16) | 37u);

  TClientVersion client;
  client.GetModuleVersion(moduleVersion);
  TCVBuilder builder;
  builder.Write(client);
  const std::vector<uint8_t> expected = {0x0A, 0x01, 0x32, 0x12, 0x01, 0x31, 0x1A,
                                         0x01, 0x30, 0x22, 0x02, 0x33, 0x37};
  EXPECT_EQ(builder.GetBuf().GetBytes(), expected);
}

// Another file's version: this program's own file by its path, and files without a
// version resource or not there.
TEST(Win32ModuleVersion, ReadsAnotherFilesVersion) {
  TWin32ModuleVersion moduleVersion;
  wchar_t own[MAX_PATH] = {};
  ASSERT_GT(GetModuleFileNameW(nullptr, own, MAX_PATH), 0u);
  const std::optional<TFileVersion> version = moduleVersion.FileVersionOf(WideToUtf8(own));
  EXPECT_EQ(version, moduleVersion.OwnFileVersion());
  const std::filesystem::path plain = std::filesystem::temp_directory_path() / "qv-version-less.exe";
  std::ofstream(plain, std::ios::binary) << "MZ no resources";
  EXPECT_EQ(moduleVersion.FileVersionOf(plain.string()), std::nullopt);
  std::filesystem::remove(plain);
  EXPECT_EQ(moduleVersion.FileVersionOf(plain.string()), std::nullopt);
}

}  // namespace
