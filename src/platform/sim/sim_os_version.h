// Simulated operating-system version: the facts a test states.
#pragma once

#include <map>

#include "platform/os_version.h"

class TSimOsVersion : public IOsVersion {
 public:
  TOsVersionNumbers version{10, 0, 19045};
  std::optional<TOsExtendedVersion> extended = TOsExtendedVersion{VER_NT_WORKSTATION, 0x0100};
  bool serverR2 = false;
  uint16_t architecture = PROCESSOR_ARCHITECTURE_AMD64;
  std::optional<uint32_t> productType = 48;
  // The version the system verifies as; by default the reported one.
  std::optional<TOsVersionNumbers> verifiesAs;
  std::string hostName = "QUORVANE-PC";

  TOsVersionNumbers Version() override { return version; }
  std::optional<TOsExtendedVersion> ExtendedVersion() override { return extended; }
  bool IsServerR2() override { return serverR2; }
  uint16_t ProcessorArchitecture() override { return architecture; }
  std::optional<uint32_t> ProductInfo(uint32_t, uint32_t, uint32_t, uint32_t) override {
    return productType;
  }
  bool VerifyVersionAtLeast(uint32_t major, uint32_t minor) override {
    TOsVersionNumbers actual = verifiesAs.value_or(version);
    return actual.major > major || (actual.major == major && actual.minor >= minor);
  }
  std::string DnsHostName() override { return hostName; }
};
