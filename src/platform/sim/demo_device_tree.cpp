#include "platform/sim/demo_device_tree.h"

#include "platform/civil_date.h"

namespace {

// A driver of the demo machine; days counts from 1601-01-01.
TSimDriver DemoDriver(const std::string& inf, const std::string& section, const std::string& provider,
                      const std::string& manufacturer, uint64_t days, uint64_t version) {
  TSimDriver driver;
  driver.infPath = "C:\\Windows\\INF\\" + inf;
  driver.section = section;
  driver.provider = provider;
  driver.manufacturer = manufacturer;
  driver.description = manufacturer + " driver";
  driver.date = days * FILETIME_TICKS_PER_DAY;
  driver.version = version;
  return driver;
}

}  // namespace

void AddDemoDevices(TSimDeviceTree& tree) {
  const char* display = "{4d36e968-e325-11ce-bfc1-08002be10318}";
  const char* net = "{4d36e972-e325-11ce-bfc1-08002be10318}";
  const char* hid = "{745a17a0-74d3-11d0-b6fe-00a0c90f57da}";
  tree.AddClass(display, "Display", "Display adapters");
  tree.AddClass(net, "Net", "Network adapters");
  tree.AddClass(hid, "HIDClass", "Human Interface Devices");
  tree.AddClass("{4d36e97e-e325-11ce-bfc1-08002be10318}", "Unknown", "Other devices");

  TSimDevice gpu{.instanceId = "PCI\\VEN_10DE&DEV_1C82\\4&1", .classGuid = GuidFromText(display),
                 .description = "NVIDIA GeForce GTX 1050 Ti",
                 .hardwareIds = {"PCI\\VEN_10DE&DEV_1C82&SUBSYS_11BF1043", "PCI\\VEN_10DE&DEV_1C82"},
                 .compatibleIds = {"PCI\\VEN_10DE&CC_030000", "PCI\\CC_0300"}};
  gpu.driver = DemoDriver("oem12.inf", "Section048", "NVIDIA", "NVIDIA", 154000, 0x001F000000000F43ULL);
  tree.AddDevice(gpu);

  TSimDevice nic{.instanceId = "PCI\\VEN_8086&DEV_15B8\\3&2", .classGuid = GuidFromText(net),
                 .friendlyName = "Intel(R) Ethernet Connection (2) I219-V", .description = "Intel Ethernet",
                 .hardwareIds = {"PCI\\VEN_8086&DEV_15B8&SUBSYS_86721043", "PCI\\VEN_8086&DEV_15B8"}};
  nic.driver = DemoDriver("net1ic64.inf", "E15B8.10.0.1", "Intel", "Intel", 152500, 0x000C000F00160003ULL);
  tree.AddDevice(nic);

  TSimDevice mouse{.instanceId = "HID\\VID_046D&PID_C077\\7&1", .classGuid = GuidFromText(hid),
                   .description = "USB Input Device", .location = "Port_#0003.Hub_#0001",
                   .hardwareIds = {"USB\\VID_046D&PID_C077&REV_7200", "USB\\VID_046D&PID_C077"},
                   .present = false};
  mouse.driver = DemoDriver("input.inf", "HID_Inst.NT", "Microsoft", "(Standard system devices)", 150000,
                            0x000A000000004A61ULL);
  tree.AddDevice(mouse);

  tree.AddDevice(TSimDevice{.instanceId = "PCI\\VEN_8086&DEV_A2A1\\3&3", .classGuid = GuidFromText(net),
                            .description = "PCI Data Acquisition Controller",
                            .hardwareIds = {"PCI\\VEN_8086&DEV_A2A1"}, .problem = 28});
  tree.AddDevice(TSimDevice{.instanceId = "ACPI\\QVN0001\\0", .description = "Quorvane Sensor Hub",
                            .location = "on ACPI", .hardwareIds = {"ACPI\\QVN0001"}, .problem = 28});
}
