// The installed driver as the device's driver key records it, for systems whose
// driver info lists fail (Wine): the values Windows writes at install time.
#pragma once

#include "platform/device_install.h"

// Fills the driver record and the detail from the driver key ("DriverDesc",
// "ProviderName", "DriverVersion", "DriverDateData" or "DriverDate", "InfPath",
// "InfSection") and the device's manufacturer property; false when the device
// has no driver key or the key names no install section.
bool ReadInstalledDriverKey(IDeviceInstall& devices, TDevInfoSet set, const TSpDevinfoData& device,
                            TSpDrvinfoData& driver, TSpDrvinfoDetailData& detail);
