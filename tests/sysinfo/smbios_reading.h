// Every accessor of a TSMBios and of the PC information over it, each value as text:
// what a cut or fuzzed table must survive, and what must be valid UTF-8.
#pragma once

#include <string>
#include <vector>

#include "sysinfo/no_hardware_facts.h"
#include "sysinfo/smbios.h"
#include "sysinfo/system_info.h"

inline std::vector<std::string> ReadEverything(const TSMBios& smbios, IFirmwareTables& firmware, ILocale& locale) {
  std::vector<std::string> texts;
  auto number = [&texts](auto value) { texts.push_back(std::to_string(value)); };
  for (const TSMBiosTableEntry& entry : smbios.SMBiosTablesList()) {
    number(smbios.GetSMBiosTableEntries(entry.Header.type));
    number(smbios.GetSMBiosTableNextIndex(entry.Header.type, entry.index));
    for (int string = 0; string <= 3; ++string)
      texts.push_back(smbios.GetSMBiosString(entry.index + entry.Header.length, string));
    for (const TSMBiosStructure& structure : smbios.Structures(entry.Header.type))
      number(structure.Dword(structure.Header().length - 1));
  }
  const TBiosInformation& bios = smbios.BiosInfo();
  texts.insert(texts.end(), {bios.VendorStr(), bios.VersionStr(), bios.ReleaseDateStr()});
  const TSystemInformation& system = smbios.SysInfo();
  texts.insert(texts.end(),
               {system.ManufacturerStr(), system.ProductNameStr(), system.VersionStr(), system.SerialNumberStr()});
  for (const auto& board : smbios.BaseBoardInfo())
    texts.insert(texts.end(), {board.ManufacturerStr(), board.ProductStr(), board.VersionStr()});
  for (const auto& enclosure : smbios.EnclosureInfo())
    texts.insert(texts.end(), {enclosure.ManufacturerStr(), enclosure.TypeStr()});
  for (const auto& cpu : smbios.ProcessorInfo()) {
    texts.insert(texts.end(), {cpu.SocketDesignationStr(), cpu.ProcessorManufacturerStr(), cpu.ProcessorVersionStr(),
                               cpu.ProcessorUpgradeStr()});
    number(cpu.GetProcessorVoltage());
    for (int value : {int{cpu.MaxSpeed()}, int{cpu.CurrentSpeed()}, int{cpu.CoreCount()}, int{cpu.ThreadCount()}})
      number(value);
  }
  for (const auto& slot : smbios.SystemSlotInfo())
    texts.insert(texts.end(),
                 {slot.SlotDesignationStr(), slot.GetSlotType(), slot.GetSlotDataBusWidth(), slot.GetCurrentUsage()});
  for (const auto& module : smbios.MemoryDeviceInfo()) {
    texts.insert(texts.end(), {module.GetMemoryTypeStr(), module.DeviceLocatorStr(), module.ManufacturerStr(),
                               module.SerialNumberStr(), module.PartNumberStr()});
    number(module.GetSize());
  }
  TNoHardwareFacts hardware;
  const std::string os;
  TSystemInfo info(firmware, hardware, locale, os);
  info.Collect(smbios);
  texts.insert(texts.end(), {info.Manufacturer(), info.SystemModel(), info.SystemType(), info.MotherBoard(),
                             info.BiosName(), info.BiosDetail(), info.SerialNumber(), info.Socket(),
                             info.GetProcessorModel()});
  texts.insert(texts.end(), info.MemoryDevices().begin(), info.MemoryDevices().end());
  texts.insert(texts.end(), info.Slots().begin(), info.Slots().end());
  for (int32_t value : {info.Cores(), info.LogicalCPU(), info.CPUspeed(), info.MaxCPUspeed()}) number(value);
  number(info.GetPhysicalMemory());
  number(info.CPUvoltage());
  return texts;
}

// Well-formed UTF-8: no stray continuation bytes, no overlong forms, no surrogates.
inline bool IsValidUtf8(const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead < 0x80             ? 1
                          : (lead & 0xE0) == 0xC0 ? 2
                          : (lead & 0xF0) == 0xE0 ? 3
                          : (lead & 0xF8) == 0xF0 ? 4
                                                  : 0;
    if (length == 0 || i + length > text.size()) return false;
    uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3F);
    }
    const uint32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < minimum[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}
