// An engine over a data model on a simulated machine, and a few device classes.
#pragma once

#include <memory>

#include "engine/data_manager.h"
#include "support/sim_data_model.h"

inline const char* const DISPLAY_CLASS = "{4d36e968-e325-11ce-bfc1-08002be10318}";
inline const char* const HID_CLASS = "{745a17a0-74d3-11d0-b6fe-00a0c90f57da}";
inline const char* const UNKNOWN_CLASS = "{4d36e97e-e325-11ce-bfc1-08002be10318}";

// 2021-03-04 00:00 UTC as a FILETIME.
constexpr uint64_t MARCH_4_2021 = 132592896000000000ULL;

class TSimEngineFixture : public TSimDataModelFixture {
 public:
  TSimEngineFixture() {
    machine.devices.AddClass(DISPLAY_CLASS, "Display", "Display adapters");
    machine.devices.AddClass(HID_CLASS, "HIDClass", "");
    machine.devices.AddClass(UNKNOWN_CLASS, "Unknown", "Other devices");
  }

  TDataManager& Engine() {
    if (!engine) {
      Create();
      model->RemoveAll();
      engine = std::make_unique<TDataManager>(*model, machine.Ports());
    }
    return *engine;
  }

  // EnumAllDevices of one index into a fresh record.
  int Enumerate(uint32_t index, TDeviceProperties& record) {
    record = TDeviceProperties();
    return Engine().EnumAllDevices(index, record);
  }

  static TSimDriver Driver(uint64_t version = 0x000A000000004E20ULL) {
    TSimDriver driver;
    driver.infPath = "C:\\Windows\\INF\\oem7.inf";
    driver.section = "Display_Install.NTamd64";
    driver.description = "Quorvane Display";
    driver.manufacturer = "Quorvane Graphics";
    driver.provider = "Quorvane Inc.";
    driver.date = MARCH_4_2021;
    driver.version = version;
    driver.hardwareIds = {"PCI\\VEN_1234&DEV_1111"};
    return driver;
  }

  std::unique_ptr<TDataManager> engine;
};
