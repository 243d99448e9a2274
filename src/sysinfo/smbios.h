// TSMBios: one SMBIOS table, its structure index and typed objects over it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/firmware_tables.h"
#include "platform/locale.h"
#include "sysinfo/smbios_structures.h"
#include "sysinfo/smbios_types.h"

class TSMBios {
 public:
  // The machine's table (WMI, else the firmware table, else none).
  TSMBios(IFirmwareTables& firmware, ILocale& locale);
  // A table already obtained; bytes beyond its Length are dropped.
  TSMBios(TRawSMBIOSData data, ILocale& locale);
  // Typed objects point into this object.
  TSMBios(const TSMBios&) = delete;
  TSMBios& operator=(const TSMBios&) = delete;

  const TRawSMBIOSData& RawData() const { return m_data; }
  // One entry per complete structure in table order, the end-of-table one included.
  const std::vector<TSMBiosTableEntry>& SMBiosTablesList() const { return m_entries; }

  // Index entries of the type (the end of table, 127, is never counted).
  int GetSMBiosTableEntries(uint8_t tableType) const;
  // The position of the first structure of the type after offset (-1: from the start);
  // -1 when there is none.
  int32_t GetSMBiosTableNextIndex(uint8_t tableType, int32_t offset) const;
  // String number index (from 1) of the string set at byte position entry, through
  // the ANSI code page; empty for 0, for a number beyond the set, and outside the table.
  std::string GetSMBiosString(int32_t entry, int index) const;

  const TBiosInformation& BiosInfo() const { return m_biosInfo; }
  const TSystemInformation& SysInfo() const { return m_sysInfo; }
  const std::vector<TBaseBoardInformation>& BaseBoardInfo() const { return m_baseBoardInfo; }
  const std::vector<TEnclosureInformation>& EnclosureInfo() const { return m_enclosureInfo; }
  const std::vector<TProcessorInformation>& ProcessorInfo() const { return m_processorInfo; }
  const std::vector<TSystemSlotInformation>& SystemSlotInfo() const { return m_systemSlotInfo; }
  const std::vector<TMemoryDeviceInformation>& MemoryDeviceInfo() const { return m_memoryDeviceInfo; }
  // The structures of any type, in table order.
  const std::vector<TSMBiosStructure>& Structures(uint8_t tableType) const;

  bool GetHasBiosInfo() const { return m_biosInfo.Present(); }
  bool GetHasSystemInfo() const { return m_sysInfo.Present(); }
  bool GetHasBaseBoardInfo() const { return !m_baseBoardInfo.empty(); }
  bool GetHasEnclosureInfo() const { return !m_enclosureInfo.empty(); }
  bool GetHasProcessorInfo() const { return !m_processorInfo.empty(); }
  bool GetHasSystemSlotInfo() const { return !m_systemSlotInfo.empty(); }
  bool GetHasMemoryDeviceInfo() const { return !m_memoryDeviceInfo.empty(); }
  bool GetHas(uint8_t tableType) const { return !Structures(tableType).empty(); }

 private:
  void BuildIndex();
  void BuildObjects();
  template <typename T>
  std::vector<T> Wrap(TSMBiosTablesTypes tableType) const;

  ILocale& m_locale;
  TRawSMBIOSData m_data;
  std::vector<TSMBiosTableEntry> m_entries;
  TBiosInformation m_biosInfo;
  TSystemInformation m_sysInfo;
  std::vector<TBaseBoardInformation> m_baseBoardInfo;
  std::vector<TEnclosureInformation> m_enclosureInfo;
  std::vector<TProcessorInformation> m_processorInfo;
  std::vector<TSystemSlotInformation> m_systemSlotInfo;
  std::vector<TMemoryDeviceInformation> m_memoryDeviceInfo;
  std::map<uint8_t, std::vector<TSMBiosStructure>> m_structures;
};
