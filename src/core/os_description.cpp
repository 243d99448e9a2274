#include "core/os_description.h"

#include <map>

std::string ProductName(const TOsVersionNumbers& v, bool workstation, bool serverR2,
                        uint16_t processorArchitecture) {
  auto is = [&](uint32_t major, uint32_t minor) { return v.major == major && v.minor == minor; };
  if (is(5, 0)) return "Windows 2000";
  if (is(5, 1)) return "Windows XP";
  if (is(5, 2)) {
    if (workstation && processorArchitecture == PROCESSOR_ARCHITECTURE_AMD64) return "Windows XP";
    return serverR2 ? "Windows Server 2003 R2" : "Windows Server 2003";
  }
  if (is(6, 0)) return workstation ? "Windows Vista" : "Windows Server 2008";
  if (is(6, 1)) return workstation ? "Windows 7" : "Windows Server 2008 R2";
  if (is(6, 2)) return workstation ? "Windows 8" : "Windows Server 2012";
  if (is(6, 3)) return workstation ? "Windows 8.1" : "Windows Server 2012 R2";
  if (is(10, 0)) {
    if (workstation) return v.build >= 22000 ? "Windows 11" : "Windows 10";
    if (v.build >= 20348) return "Windows Server 2022";
    return v.build >= 17763 ? "Windows Server 2019" : "Windows Server 2016";
  }
  return "Windows";
}

std::string EditionText(uint32_t productType) {
  static const std::map<uint32_t, std::string> editions = {
      {0, "An unknown product"},
      {1, "Ultimate Edition"},
      {28, "Ultimate Edition"},
      {2, "Home Basic Edition"},
      {5, "Home Basic Edition"},
      {3, "Home Premium Edition"},
      {26, "Home Premium Edition"},
      {4, "Enterprise Edition"},
      {27, "Enterprise Edition"},
      {6, "Business Edition"},
      {16, "Business Edition"},
      {7, "Server Standard Edition"},
      {13, "Server Standard Edition"},
      {8, "Server Datacenter Edition"},
      {12, "Server Datacenter Edition"},
      {9, "Small Business Server"},
      {10, "Server Enterprise Edition"},
      {14, "Server Enterprise Edition"},
      {11, "Starter Edition"},
      {15, "Server Enterprise Edition for Itanium-based Systems"},
      {17, "Web Server Edition"},
      {29, "Web Server Edition"},
      {18, "Cluster Server Edition"},
      {19, "Home Server Edition"},
      {20, "Storage Server Express Edition"},
      {21, "Storage Server Standard Edition"},
      {22, "Storage Server Workgroup Edition"},
      {23, "Storage Server Enterprise Edition"},
      {24, "Server for Small Business Edition"},
      {25, "Small Business Server Premium Edition"},
      {30, "Windows Essential Business Server Management Server Edition"},
      {31, "Windows Essential Business Server Security Server Edition"},
      {32, "Windows Essential Business Server Messaging Server Edition"},
      {33, "Server Foundation"},
      {34, "Home Premium Server Edition"},
      {42, "Hyper-V Server Edition"},
      {48, "Professional"},
      {49, "Professional"},
      {103, "Professional with Media Center"},
      {PRODUCT_UNLICENSED, "Unlicensed product"},
  };
  auto found = editions.find(productType);
  return found == editions.end() ? std::string() : found->second;
}

namespace {

// Version and name corrections for systems whose reported numbers are ambiguous.
void ApplyCorrections(IOsVersion& os, const TOsVersionNumbers& v, bool workstation, TOsDescription& result) {
  if (v.major == 6 && v.minor == 2) {
    if (workstation) {
      result.version = os.VerifyVersionAtLeast(6, 3) ? "6.3.0" : "6.2.0";
    } else {
      result.description = "Windows Server 2012";
      result.version = "6.2.0";
    }
  } else if (v.major == 6 && v.minor == 0) {
    if (workstation) {
      result.version = "6.0.3";
    } else {
      result.description = "Windows Server 2008";
      result.version = "6.0.1";
    }
  } else if (v.major == 5 && v.minor == 2) {
    if (workstation) {
      result.version = "5.2.0";
    } else {
      result.description = "Windows Server 2003";
      result.version = "5.2.3";
    }
  }
}

// The edition text: a product type above Windows XP, Home or Professional before.
void AppendEdition(IOsVersion& os, const TOsVersionNumbers& v, const TOsExtendedVersion& extended,
                   TOsDescription& result) {
  if (v.major > 5) {
    if (std::optional<uint32_t> type = os.ProductInfo(v.major, v.minor, 0, 0))
      result.description += " " + EditionText(*type);
  } else if (extended.productType == VER_NT_WORKSTATION) {
    result.description += (extended.suiteMask & VER_SUITE_PERSONAL) ? " Home Edition" : " Professional";
  }
}

void AppendArchitecture(uint16_t architecture, TOsDescription& result) {
  switch (architecture) {
    case PROCESSOR_ARCHITECTURE_INTEL:
      result.architecture = "x86";
      result.description += " 32 bit";
      break;
    case PROCESSOR_ARCHITECTURE_AMD64:
      result.architecture = "amd64";
      result.description += " 64 bit";
      break;
    case PROCESSOR_ARCHITECTURE_ARM:
      result.architecture = "arm32";
      result.description += " 32 bit";
      break;
    case PROCESSOR_ARCHITECTURE_ARM64:
      result.architecture = "arm86";
      result.description += " 64 bit";
      break;
    default:
      break;
  }
}

}  // namespace

TOsDescription DescribeOperatingSystem(IOsVersion& os) {
  const TOsVersionNumbers v = os.Version();
  const std::optional<TOsExtendedVersion> extended = os.ExtendedVersion();
  const bool workstation = !extended || extended->productType == VER_NT_WORKSTATION;
  const uint16_t architecture = os.ProcessorArchitecture();

  TOsDescription result;
  // Build 22000 and later makes a workstation "Windows 11" (ProductName); a
  // server of such a build keeps its server name.
  result.description = ProductName(v, workstation, os.IsServerR2(), architecture);
  result.version = std::to_string(v.major) + "." + std::to_string(v.minor) + ".0";
  if (extended) {
    ApplyCorrections(os, v, workstation, result);
    AppendEdition(os, v, *extended, result);
  }
  AppendArchitecture(architecture, result);
  return result;
}
