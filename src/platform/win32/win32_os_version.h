// Operating-system version port: ntdll's RtlGetVersion and the kernel32 queries.
#pragma once

#include "platform/os_version.h"

class TWin32OsVersion : public IOsVersion {
 public:
  TOsVersionNumbers Version() override;
  std::optional<TOsExtendedVersion> ExtendedVersion() override;
  bool IsServerR2() override;
  uint16_t ProcessorArchitecture() override;
  std::optional<uint32_t> ProductInfo(uint32_t major, uint32_t minor, uint32_t spMajor,
                                      uint32_t spMinor) override;
  bool VerifyVersionAtLeast(uint32_t major, uint32_t minor) override;
  std::string DnsHostName() override;
};
