#include <gtest/gtest.h>

#include "core/os_description.h"
#include "platform/sim/sim_os_version.h"

namespace {

struct Case {
  const char* what;
  TOsVersionNumbers version;
  uint8_t productType;  // 0: the extended query fails
  uint16_t suite;
  uint16_t architecture;
  std::optional<uint32_t> edition;
  const char* description;
  const char* osVer;
  const char* arch;
  std::optional<TOsVersionNumbers> verifiesAs = std::nullopt;
  bool r2 = false;
};

constexpr uint8_t WS = VER_NT_WORKSTATION;
constexpr uint8_t SRV = VER_NT_SERVER;
constexpr uint16_t X64 = PROCESSOR_ARCHITECTURE_AMD64;
constexpr uint16_t X86 = PROCESSOR_ARCHITECTURE_INTEL;

TEST(OsDescription, Table) {
  const Case cases[] = {
      {"Windows 10 Pro", {10, 0, 19045}, WS, 0x100, X64, 48, "Windows 10 Professional 64 bit", "10.0.0", "amd64"},
      {"edition not in table", {10, 0, 19045}, WS, 0x100, X64, 101, "Windows 10  64 bit", "10.0.0", "amd64"},
      {"product info fails", {10, 0, 19045}, WS, 0x100, X64, std::nullopt, "Windows 10 64 bit", "10.0.0", "amd64"},
      {"Windows 11 from build 22000", {10, 0, 22000}, WS, 0x100, X64, 48, "Windows 11 Professional 64 bit", "10.0.0", "amd64"},
      {"Windows 11 ARM", {10, 0, 22631}, WS, 0x100, PROCESSOR_ARCHITECTURE_ARM64, 4, "Windows 11 Enterprise Edition 64 bit", "10.0.0", "arm86"},
      {"Server 2016", {10, 0, 14393}, SRV, 0x110, X64, 7, "Windows Server 2016 Server Standard Edition 64 bit", "10.0.0", "amd64"},
      {"Server 2019", {10, 0, 17763}, SRV, 0x110, X64, 8, "Windows Server 2019 Server Datacenter Edition 64 bit", "10.0.0", "amd64"},
      {"Server 2022", {10, 0, 20348}, SRV, 0x110, X64, 7, "Windows Server 2022 Server Standard Edition 64 bit", "10.0.0", "amd64"},
      {"server of a Windows 11 build keeps its name", {10, 0, 26100}, SRV, 0x110, X64, 7, "Windows Server 2022 Server Standard Edition 64 bit", "10.0.0", "amd64"},
      {"Windows 7 Professional x86", {6, 1, 7601}, WS, 0x100, X86, 48, "Windows 7 Professional 32 bit", "6.1.0", "x86"},
      {"Server 2008 R2", {6, 1, 7601}, SRV, 0x110, X64, 10, "Windows Server 2008 R2 Server Enterprise Edition 64 bit", "6.1.0", "amd64"},
      {"8 that verifies as 8.1", {6, 2, 9200}, WS, 0x100, X64, 48, "Windows 8 Professional 64 bit", "6.3.0", "amd64", TOsVersionNumbers{6, 3, 9600}},
      {"8 that stays 8", {6, 2, 9200}, WS, 0x100, X64, 48, "Windows 8 Professional 64 bit", "6.2.0", "amd64"},
      {"Server 2012", {6, 2, 9200}, SRV, 0x110, X64, 7, "Windows Server 2012 Server Standard Edition 64 bit", "6.2.0", "amd64"},
      {"8.1", {6, 3, 9600}, WS, 0x100, X64, 103, "Windows 8.1 Professional with Media Center 64 bit", "6.3.0", "amd64"},
      {"Server 2012 R2", {6, 3, 9600}, SRV, 0x110, X64, 7, "Windows Server 2012 R2 Server Standard Edition 64 bit", "6.3.0", "amd64"},
      {"Vista", {6, 0, 6002}, WS, 0x300, X86, 3, "Windows Vista Home Premium Edition 32 bit", "6.0.3", "x86"},
      {"Server 2008", {6, 0, 6002}, SRV, 0x110, X64, 0xABCDABCD, "Windows Server 2008 Unlicensed product 64 bit", "6.0.1", "amd64"},
      {"XP Home", {5, 1, 2600}, WS, 0x300, X86, std::nullopt, "Windows XP Home Edition 32 bit", "5.1.0", "x86"},
      {"XP Professional", {5, 1, 2600}, WS, 0x100, X86, std::nullopt, "Windows XP Professional 32 bit", "5.1.0", "x86"},
      {"XP x64", {5, 2, 3790}, WS, 0x100, X64, std::nullopt, "Windows XP Professional 64 bit", "5.2.0", "amd64"},
      {"Server 2003", {5, 2, 3790}, SRV, 0x110, X86, std::nullopt, "Windows Server 2003 32 bit", "5.2.3", "x86"},
      {"Server 2003 R2 corrected", {5, 2, 3790}, SRV, 0x110, X86, std::nullopt, "Windows Server 2003 32 bit", "5.2.3", "x86", std::nullopt, true},
      {"2000", {5, 0, 2195}, WS, 0x100, X86, std::nullopt, "Windows 2000 Professional 32 bit", "5.0.0", "x86"},
      {"extended query fails", {6, 1, 7601}, 0, 0, X64, 48, "Windows 7 64 bit", "6.1.0", "amd64"},
      {"unknown architecture", {10, 0, 19045}, WS, 0x100, PROCESSOR_ARCHITECTURE_IA64, 48, "Windows 10 Professional", "10.0.0", ""},
      {"unknown version", {4, 0, 1381}, WS, 0x100, X86, std::nullopt, "Windows Professional 32 bit", "4.0.0", "x86"},
  };
  for (const Case& c : cases) {
    TSimOsVersion os;
    os.version = c.version;
    if (c.productType) os.extended = TOsExtendedVersion{c.productType, c.suite};
    else os.extended.reset();
    os.architecture = c.architecture;
    os.productType = c.edition;
    os.verifiesAs = c.verifiesAs;
    os.serverR2 = c.r2;
    TOsDescription result = DescribeOperatingSystem(os);
    EXPECT_EQ(result.description, c.description) << c.what;
    EXPECT_EQ(result.version, c.osVer) << c.what;
    EXPECT_EQ(result.architecture, c.arch) << c.what;
  }
}

TEST(OsDescription, ServerR2NameBeforeCorrection) {
  EXPECT_EQ(ProductName({5, 2, 3790}, false, true, PROCESSOR_ARCHITECTURE_INTEL), "Windows Server 2003 R2");
}

}  // namespace
