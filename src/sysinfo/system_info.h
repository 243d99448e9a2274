// TSystemInfo: the description of the computer the program shows (manufacturer,
// model, mainboard, BIOS, processor, memory, slots), taken from the SMBIOS table
// with the operating system and the processor's identification as fall-backs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/firmware_tables.h"
#include "platform/hardware_facts.h"
#include "platform/locale.h"
#include "sysinfo/smbios.h"

class TSystemInfo {
 public:
  // Collects nothing yet. osDescription is the owner's text, read by GetOS.
  TSystemInfo(IFirmwareTables& firmware, IHardwareFacts& hardware, ILocale& locale, const std::string& osDescription);
  TSystemInfo(const TSystemInfo&) = delete;
  TSystemInfo& operator=(const TSystemInfo&) = delete;

  // Collects from the machine's table and facts, once; a machine that answers
  // nothing leaves the values empty, 0 or "Unknown".
  void Collect();
  // Collects from a table already read, once.
  void Collect(const TSMBios& smbios);
  bool Collected() const { return m_bParsedSMBIOS; }

  const std::string& GetOS() const { return m_osDescription; }
  const std::string& Manufacturer() const { return m_Manufacturer; }
  // The manufacturer rule: a placeholder or empty text gives the mainboard's manufacturer, else "Unknown".
  void SetManufacturer(const std::string& value);
  const std::string& SystemModel() const { return m_SystemModel; }
  // The model rule: a placeholder or empty text gives the mainboard's model when it
  // has a manufacturer, else "Unknown".
  void SetSystemModel(const std::string& value);
  const std::string& SystemType() const { return m_SystemType; }
  const std::string& GetPhysicalProcessors() const { return m_NumPhysicalProcessor; }
  const std::string& GetLogicalProcessors() const { return m_NumLogicalProcessor; }
  const std::string& GetProcessorModel() const { return m_ProcessorModel; }
  const std::string& BoardManufacturer() const { return m_BoardManufacturer; }
  const std::string& MotherBoard() const { return m_BoardModel; }
  const std::string& BiosName() const { return m_BiosManufacturer; }
  const std::string& BiosDetail() const { return m_BiosDetail; }
  const std::string& SerialNumber() const { return m_SerialNumber; }
  const std::string& Socket() const { return m_Socket; }
  int32_t Cores() const { return m_CoreCount; }
  int32_t LogicalCPU() const { return m_LogicalCpu; }
  // The current speed in MHz (field m_CpuSpeedMax, as the program has always named it).
  int32_t CPUspeed() const { return m_CpuSpeedMax; }
  // The maximum speed in MHz (field m_CpuSpeedCurrent).
  int32_t MaxCPUspeed() const { return m_CpuSpeedCurrent; }
  int64_t GetPhysicalMemory() const { return m_PhysicalMemory; }
  double CPUvoltage() const { return m_CpuVoltage; }
  const std::vector<std::string>& MemoryDevices() const { return m_MemoryDevices; }
  const std::vector<std::string>& Slots() const { return m_Slots; }
  std::string GetSlotInfo(int AslotID) const;
  int GetSlotCount() const { return static_cast<int>(m_Slots.size()); }
  std::string GetMemoryDetails(int AdeviceID) const;
  int GetMemoryDeviceCount() const { return static_cast<int>(m_MemoryDevices.size()); }

 private:
  bool IsPlaceholder(const std::string& text, const std::vector<const char*>& placeholders) const;
  void CollectProcessor(const TSMBios& smbios);
  void CollectMemory(const TSMBios& smbios);

  IFirmwareTables& m_firmware;
  IHardwareFacts& m_hardware;
  ILocale& m_locale;
  const std::string& m_osDescription;

  std::string m_Manufacturer;
  std::string m_SystemModel;
  std::string m_SystemType;
  std::string m_NumPhysicalProcessor;
  std::string m_NumLogicalProcessor;
  std::string m_ProcessorModel;
  std::string m_BoardManufacturer;
  std::string m_BoardModel;
  std::string m_BiosManufacturer;
  std::string m_BiosDetail;
  std::string m_SerialNumber;
  std::string m_Socket;
  bool m_bParsedSMBIOS = false;
  int32_t m_CoreCount = 0;
  int32_t m_LogicalCpu = 0;
  int32_t m_CpuSpeedMax = 0;
  int32_t m_CpuSpeedCurrent = 0;
  int64_t m_PhysicalMemory = 0;
  double m_CpuVoltage = 0;
  std::vector<std::string> m_MemoryDevices;
  std::vector<std::string> m_Slots;
};
