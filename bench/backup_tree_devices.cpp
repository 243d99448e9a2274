#include "backup_tree_devices.h"

#include <iterator>
#include <memory>
#include <random>
#include <string>

namespace {

constexpr const char* CLASS_NAMES[] = {
    "Display", "Net", "USB", "HIDClass", "Mouse", "Keyboard", "DiskDrive", "Volume", "System", "Processor",
    "MEDIA", "AudioEndpoint", "Monitor", "Ports", "Printer", "Bluetooth", "Camera", "SCSIAdapter", "HDC",
    "SoftwareDevice", "Battery", "Biometric", "Firmware", "SecurityDevices"};

}  // namespace

TDeviceList SimulatedBackupDevices(size_t count, ILocale& locale) {
  std::mt19937 random(static_cast<unsigned>(count));
  TDeviceList devices(locale);
  for (size_t i = 0; i < count; ++i) {
    auto device = std::make_unique<TDeviceProperties>();
    const std::string className = CLASS_NAMES[random() % std::size(CLASS_NAMES)];
    device->strHID = "PCI\\VEN_" + std::to_string(random() % 0x10000) + "&DEV_" + std::to_string(i);
    device->strClassGUID = className;
    device->strClassDescription = className + " devices";
    device->strName = className + " device " + std::to_string(random() % 100000);
    device->nDeviceImage = static_cast<int32_t>(random() % 40);
    if (i % 10 == 9) device->strClassGUID = device->strClassDescription = UNPLUGGED_DEVICES_CLASS;
    devices.Add(std::move(device));
  }
  return devices;
}

