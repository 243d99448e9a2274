// Operating-system version port: the true version facts, as the kernel reports them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Product types of OSVERSIONINFOEXW.wProductType.
#ifndef VER_NT_WORKSTATION
constexpr uint8_t VER_NT_WORKSTATION = 1;
#endif
#ifndef VER_NT_DOMAIN_CONTROLLER
constexpr uint8_t VER_NT_DOMAIN_CONTROLLER = 2;
#endif
#ifndef VER_NT_SERVER
constexpr uint8_t VER_NT_SERVER = 3;
#endif
// Suite mask bit of the Home editions.
#ifndef VER_SUITE_PERSONAL
constexpr uint16_t VER_SUITE_PERSONAL = 0x0200;
#endif
// SYSTEM_INFO.wProcessorArchitecture values.
#ifndef PROCESSOR_ARCHITECTURE_INTEL
constexpr uint16_t PROCESSOR_ARCHITECTURE_INTEL = 0;
#endif
#ifndef PROCESSOR_ARCHITECTURE_ARM
constexpr uint16_t PROCESSOR_ARCHITECTURE_ARM = 5;
#endif
#ifndef PROCESSOR_ARCHITECTURE_IA64
constexpr uint16_t PROCESSOR_ARCHITECTURE_IA64 = 6;
#endif
#ifndef PROCESSOR_ARCHITECTURE_AMD64
constexpr uint16_t PROCESSOR_ARCHITECTURE_AMD64 = 9;
#endif
#ifndef PROCESSOR_ARCHITECTURE_ARM64
constexpr uint16_t PROCESSOR_ARCHITECTURE_ARM64 = 12;
#endif
#ifndef PROCESSOR_ARCHITECTURE_UNKNOWN
constexpr uint16_t PROCESSOR_ARCHITECTURE_UNKNOWN = 0xFFFF;
#endif
// GetProductInfo's value for an unlicensed product.
#ifndef PRODUCT_UNLICENSED
constexpr uint32_t PRODUCT_UNLICENSED = 0xABCDABCD;
#endif

struct TOsVersionNumbers {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
};

struct TOsExtendedVersion {
  uint8_t productType = 0;
  uint16_t suiteMask = 0;
};

class IOsVersion {
 public:
  virtual ~IOsVersion() = default;
  // Major, minor and build without compatibility shims (RtlGetVersion).
  virtual TOsVersionNumbers Version() = 0;
  // Product type and suite mask (GetVersionExW with OSVERSIONINFOEXW); nothing on failure.
  virtual std::optional<TOsExtendedVersion> ExtendedVersion() = 0;
  // The system reports itself as Server 2003 R2 (GetSystemMetrics(SM_SERVERR2)).
  virtual bool IsServerR2() = 0;
  // The native processor architecture (GetNativeSystemInfo).
  virtual uint16_t ProcessorArchitecture() = 0;
  // GetProductInfo for the given version and service pack; nothing on failure.
  virtual std::optional<uint32_t> ProductInfo(uint32_t major, uint32_t minor, uint32_t spMajor,
                                              uint32_t spMinor) = 0;
  // VerifyVersionInfoW: the system is at least major.minor.
  virtual bool VerifyVersionAtLeast(uint32_t major, uint32_t minor) = 0;
  // The computer's DNS host name (GetComputerNameExW, ComputerNameDnsHostname); empty on failure.
  virtual std::string DnsHostName() = 0;
};
