#include "sim_pc.h"

#include <cstdio>
#include <iterator>

namespace {

constexpr uint64_t FILETIME_TICKS_PER_DAY = 864000000000ULL;

std::string Hex4(size_t value) {
  char text[8];
  std::snprintf(text, sizeof(text), "%04zX", value & 0xFFFF);
  return text;
}

std::string DeviceId(size_t index) { return "PCI\\VEN_8086&DEV_" + Hex4(index); }

}  // namespace

std::string SimulatedPcHardwareId(size_t index) { return DeviceId(index) + "&SUBSYS_86721043&REV_10"; }

void AddSimulatedPcDevices(TSimDeviceTree& tree, size_t count) {
  const char* const classes[][2] = {{"{4d36e968-e325-11ce-bfc1-08002be10318}", "Display"},
                                    {"{4d36e972-e325-11ce-bfc1-08002be10318}", "Net"},
                                    {"{745a17a0-74d3-11d0-b6fe-00a0c90f57da}", "HIDClass"},
                                    {"{4d36e97d-e325-11ce-bfc1-08002be10318}", "System"},
                                    {"{36fc9e60-c465-11cf-8056-444553540000}", "USB"}};
  for (const auto& simClass : classes) tree.AddClass(simClass[0], simClass[1], std::string(simClass[1]) + " devices");

  for (size_t i = 0; i < count; ++i) {
    const std::string id = DeviceId(i);
    TSimDevice device;
    device.instanceId = id + "\\3&" + std::to_string(i);
    device.classGuid = GuidFromText(classes[i % std::size(classes)][0]);
    device.description = "Device " + std::to_string(i);
    device.location = "PCI bus 0, device " + std::to_string(i);
    device.hardwareIds = {SimulatedPcHardwareId(i), id + "&SUBSYS_86721043"};
    device.compatibleIds = {id + "&CC_030000", "PCI\\CC_0300"};
    device.present = i % 10 != 9;
    if (i % 20 != 19) {
      TSimDriver driver;
      driver.infPath = "C:\\Windows\\INF\\oem" + std::to_string(i) + ".inf";
      driver.section = "Install_" + std::to_string(i);
      driver.description = device.description;
      driver.manufacturer = "Quorvane Devices";
      driver.provider = "Quorvane Inc.";
      driver.date = 154000 * FILETIME_TICKS_PER_DAY;
      driver.version = 0x000A000000004E20ULL + i;
      driver.hardwareIds = {device.hardwareIds.front()};
      device.driver = driver;
    }
    tree.AddDevice(device);
  }
}
