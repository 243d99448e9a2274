// The operating-system facts the system reports and the description built from
// them. QV_EXPECT_OS names the configuration the test runs under ("win7" by
// default, "win10" or "win11"); scripts/test switches Wine between them (Wine 8
// has no Windows 11 setting: its Windows 10 with build 22000 in the registry).
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "core/os_description.h"
#include "platform/win32/win32_os_version.h"
#include "windows/wine_detection.h"


namespace {

struct TExpected {
  TOsVersionNumbers version;
  const char* description;
  const char* osVer;
};

TEST(Win32OsVersion, DescriptionOfTheReportedSystem) {
  const std::map<std::string, TExpected> expectations = {
      {"win7", {{6, 1, 7601}, "Windows 7 Professional 64 bit", "6.1.0"}},
      {"win10", {{10, 0, 18362}, "Windows 10 Professional 64 bit", "10.0.0"}},  // Wine 8's Windows 10 build
      {"win11", {{10, 0, 22000}, "Windows 11 Professional 64 bit", "10.0.0"}},
  };
  const char* configured = std::getenv("QV_EXPECT_OS");
  auto expected = expectations.find(configured ? configured : "win7");
  ASSERT_NE(expected, expectations.end()) << configured;

  TWin32OsVersion os;
  TOsVersionNumbers version = os.Version();
  EXPECT_EQ(version.major, expected->second.version.major);
  EXPECT_EQ(version.minor, expected->second.version.minor);
  EXPECT_EQ(version.build, expected->second.version.build);
  EXPECT_TRUE(os.VerifyVersionAtLeast(version.major, version.minor));
  EXPECT_FALSE(os.VerifyVersionAtLeast(version.major + 1, 0));
  ASSERT_TRUE(os.ExtendedVersion().has_value());
  EXPECT_EQ(os.ExtendedVersion()->productType, VER_NT_WORKSTATION);

  // Known Wine deviation: Wine's GetProductInfo answers an Ultimate product (1,
  // or 28 from Windows 10 on) where these Windows installations answer 48.
  std::string wanted = expected->second.description;
  if (RunsUnderWine()) {
    std::optional<uint32_t> product = os.ProductInfo(version.major, version.minor, 0, 0);
    ASSERT_TRUE(product.has_value());
    EXPECT_EQ(EditionText(*product), "Ultimate Edition");
    wanted.replace(wanted.find("Professional"), 12, "Ultimate Edition");
  }
  TOsDescription description = DescribeOperatingSystem(os);
  EXPECT_EQ(description.description, wanted);
  EXPECT_EQ(description.version, expected->second.osVer);
  EXPECT_EQ(description.architecture, "amd64");
}

}  // namespace
