// The program's record of one device: identity, installed and offered driver, flags.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

using TGuid = std::array<uint8_t, 16>;

// Bits of the driver-type mask of IsDriverType.
constexpr int DRIVER_TYPE_UPTODATE = 1;
constexpr int DRIVER_TYPE_OUTDATED = 2;
constexpr int DRIVER_TYPE_IGNORED = 4;
constexpr int DRIVER_TYPE_INSTALLED = 8;
constexpr int DRIVER_TYPE_PRESENT = 16;
constexpr int DRIVER_TYPE_ALWAYS = 32;

// The pseudo class of devices that are not present.
inline constexpr const char* UNPLUGGED_DEVICES_CLASS = "Unplugged Devices";

class TDeviceProperties {
 public:
  TGuid FGUID{};
  std::string strClassGUID;
  std::string strClassDescription;
  int32_t nDeviceImage = 0;
  int32_t nClassImage = 0;
  int32_t nLargeImage = 0;
  int32_t nIgnored = 0;
  std::string strName;
  std::string strHID;
  std::string strCompatibleHID;
  std::string strManufacturer;
  std::vector<std::string> strHIDs;
  std::vector<std::string> strCompatibleHIDs;
  std::string strINFFileName;
  std::string strINFSectionName;
  std::string strProvider;
  std::string strVersion;
  std::string strDriverDate;
  std::string strDriverSize;
  std::string strDriverDBId;
  std::string strNewDriverDate;
  std::string strNewVersion;
  std::string strNewProvider;
  std::string strDownloadUrl;
  bool bSelected = false;
  bool bInstalled = false;
  bool bUninstalled = false;
  uint32_t nStatusCode = 0;

  bool IsSelected() const { return bSelected; }
  bool IsInstalled() const { return bInstalled; }
  bool IsUninstalled() const { return bUninstalled; }

  bool IsIgnored() const;
  bool IsUpdated() const;
  bool IsOutdated() const;
  bool IsUnpluggedDevice() const;
  // True when every condition of the mask holds and the mask asks for no unknown bit.
  bool IsDriverType(int aType) const;
};
