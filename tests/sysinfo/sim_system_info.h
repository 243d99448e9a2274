// PC information collected from a table a test builds, on simulated hardware.
#pragma once

#include <memory>
#include <string>

#include "platform/sim/sim_firmware_tables.h"
#include "platform/sim/sim_hardware_facts.h"
#include "platform/sim/sim_locale.h"
#include "sysinfo/smbios_builder.h"
#include "sysinfo/system_info.h"

class TSimSystemInfoFixture {
 public:
  // The table as the machine's firmware table; a fresh collection each call.
  TSystemInfo& Collect(const TSmbiosBuilder& table) {
    firmware.rawSmbios = table.RawSmbiosData();
    m_info = std::make_unique<TSystemInfo>(firmware, hardware, locale, os);
    m_info->Collect();
    return *m_info;
  }

  TSimFirmwareTables firmware;
  TSimHardwareFacts hardware;
  TSimLocale locale;
  std::string os = "Windows 10 Professional 64 bit";

 private:
  std::unique_ptr<TSystemInfo> m_info;
};
