#include "devices/device_properties.h"

namespace {

// Blank in the sense of trimming: a space or a control character.
bool IsEmptyAfterTrim(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) > ' ') return false;
  return true;
}

}  // namespace

bool TDeviceProperties::IsIgnored() const { return nIgnored == 1; }

bool TDeviceProperties::IsUpdated() const { return !IsIgnored() && strNewVersion.empty(); }

bool TDeviceProperties::IsOutdated() const {
  return !IsIgnored() && !IsEmptyAfterTrim(strNewVersion);
}

bool TDeviceProperties::IsUnpluggedDevice() const {
  return strClassGUID == UNPLUGGED_DEVICES_CLASS;
}

bool TDeviceProperties::IsDriverType(int aType) const {
  int holds = DRIVER_TYPE_ALWAYS;
  if (IsUpdated()) holds |= DRIVER_TYPE_UPTODATE;
  if (IsOutdated()) holds |= DRIVER_TYPE_OUTDATED;
  if (IsIgnored()) holds |= DRIVER_TYPE_IGNORED;
  if (!strVersion.empty()) holds |= DRIVER_TYPE_INSTALLED;
  if (!IsUnpluggedDevice()) holds |= DRIVER_TYPE_PRESENT;
  return (holds & aType) == aType;
}
