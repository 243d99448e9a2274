// The SMBIOS tables every reader test, the dmidecode comparison, the fuzz corpus and
// the Windows qvcli comparison run over: real-world layouts and broken ones.
#pragma once

#include <string>
#include <vector>

#include "sysinfo/smbios_builder.h"

struct TCorpusTable {
  std::string name;
  TSmbiosBuilder table;
};

// Wine 8's table (GetSystemFirmwareTable gives 131 bytes: the header and 123 table
// bytes): SMBIOS 2.4, types 0, 1, 3, 2, 32 and 127, every string number 0.
inline TSmbiosBuilder WineTable() {
  TSmbiosBuilder table(2, 4);
  table.Structure(0, 0x18, {{0x0A, 0x04}, {0x14, 0xFFFFFFFF, 4}})
      .Structure(1, 0x1B, {{0x08, 0x4A40C5C4C719123D, 8}, {0x10, 0xA4FDAD482A6D1FAA, 8}, {0x18, 0x02}})
      .Structure(3, 0x15, {{0x05, 0x02}, {0x09, 0x02020202, 4}, {0x14, 0x03}})
      .Structure(2, 0x0F, {{0x09, 0x05}, {0x0B, 0x0002, 2}, {0x0D, 0x0A}})
      .Structure(32, 0x14, {})
      .End();
  return table;
}

// SMBIOS 2.3: a processor structure 23h long (no core or thread counts), memory
// devices 1Bh long (no extended size), so a 7FFFh module is one of 32767 MB.
inline TSmbiosBuilder Smbios23Table() {
  TSmbiosBuilder table(2, 3);
  TProcessorSpec processor;
  processor.length = 0x23;
  processor.version = "Intel(R) Pentium(R) 4 CPU 2.80GHz";
  processor.voltage = 0x02;
  processor.maxSpeed = 3600;
  processor.currentSpeed = 2800;
  processor.upgrade = 0x0F;
  TMemorySpec module;
  module.length = 0x1B;
  module.type = 0x12;
  module.size = 512;
  module.manufacturer = "Infineon";
  module.partNumber = "HYS64D64320GU-6-B";
  TMemorySpec largest = module;
  largest.size = 0x7FFF;
  table.Bios("Dell Inc.", "A07", "03/21/2005", 0x14)
      .System("Dell Inc.", "OptiPlex GX280", "5J2XY1J", 0x19)
      .BaseBoard("Dell Inc.", "0G8310", "A00")
      .Enclosure(0x06, 0x11)
      .Processor(processor)
      .MemoryDevice(module)
      .MemoryDevice(largest)
      .Slot(0x06, 0x05, 0x03, "PCI1", 0x0D)
      .End();
  return table;
}

// SMBIOS 2.8: two modules, an empty socket and five slots: 20 page rows.
inline TSmbiosBuilder TwoModulesTable() {
  TSmbiosBuilder table(2, 8);
  TProcessorSpec processor;
  processor.length = 0x2A;
  TMemorySpec module, empty;
  empty.size = 0;
  empty.manufacturer = "";
  empty.partNumber = "";
  table.Bios("American Megatrends Inc.", "1.40", "07/12/2017")
      .System("Micro-Star International Co., Ltd.", "MS-7A63", "Default string")
      .BaseBoard("Micro-Star International Co., Ltd.", "Z270 GAMING PRO CARBON (MS-7A63)", "1.0")
      .Enclosure(0x03)
      .Processor(processor)
      .MemoryDevice(module)
      .MemoryDevice(empty)
      .MemoryDevice(module)
      .Slot(0xB6, 0x0D, 0x04, "PCI_E1")
      .Slot(0xB2, 0x08, 0x03, "PCI_E2")
      .Slot(0xB6, 0x0D, 0x03, "PCI_E3")
      .Slot(0xB2, 0x08, 0x03, "PCI_E4")
      .Slot(0xB4, 0x0A, 0x04, "M2_1")
      .End();
  return table;
}

// SMBIOS 3.2: sizes 7FFFh with an extended size, 8200h (kilobytes), FFFFh (unknown), 4000h.
inline TSmbiosBuilder Smbios3SizesTable() {
  TSmbiosBuilder table(3, 2);
  TProcessorSpec processor;
  processor.manufacturer = "Advanced Micro Devices, Inc.";
  processor.version = "AMD EPYC 7302 16-Core Processor";
  processor.upgrade = 0x37;
  processor.cores = 16;
  processor.threads = 32;
  processor.voltage = 0x8B;
  processor.maxSpeed = 3300;
  processor.currentSpeed = 3000;
  TMemorySpec extended, kilobytes, unknown, large;
  extended.size = 0x7FFF;
  extended.extendedSize = 65536;
  extended.type = 0x22;
  kilobytes.size = 0x8200;
  kilobytes.type = 0x07;
  unknown.size = 0xFFFF;
  large.size = 0x4000;
  table.Bios("Dell Inc.", "2.4.8", "11/02/2021")
      .System("Dell Inc.", "PowerEdge R7515", "ABCD123")
      .BaseBoard("Dell Inc.", "0R4CNN", "A01")
      .Enclosure(0x17)
      .Processor(processor)
      .MemoryDevice(extended)
      .MemoryDevice(kilobytes)
      .MemoryDevice(unknown)
      .MemoryDevice(large)
      .End();
  return table;
}

// The firmware's placeholder names in another case, and an ASRock board with a blank-padded version.
inline TSmbiosBuilder AsrockTable() {
  TSmbiosBuilder table(3, 1);
  TProcessorSpec processor;
  processor.manufacturer = "Advanced Micro Devices, Inc.";
  processor.version = "AMD Ryzen 7 2700X Eight-Core Processor";
  processor.upgrade = 0x31;
  processor.cores = 8;
  processor.threads = 16;
  table.Bios("American Megatrends Inc.", "P3.40", "08/05/2019")
      .System("to be filled by o.e.m.", "TO BE FILLED BY O.E.M.", "To Be Filled By O.E.M.")
      .BaseBoard("ASRock", "B450M Pro4", "  1.0  ")
      .Enclosure(0x03)
      .Processor(processor)
      .MemoryDevice({})
      .End();
  return table;
}

// Oddities: blank-padded versions, vendor types between, bytes above 7Fh in Windows-1252,
// a string number beyond its set, and no end-of-table structure.
inline TSmbiosBuilder OddTable() {
  TSmbiosBuilder table(2, 7);
  TMemorySpec module;
  module.manufacturer = "M\xFC" "ller \x80 GmbH";
  module.partNumber = "  PART-1  ";
  table.Bios("LENOVO", "  N1EET82W (1.55 )  ", "04/08/2020")
      .Structure(0x85, 0x05, {{0x04, 0x01}}, {"vendor data"})
      .Structure(1, 0x1B, {{0x04, 1}, {0x05, 2}, {0x07, 5}}, {"LENOVO", "20HRCTO1WW"})
      .Structure(0xDD, 0x1A, {{0x04, 0x03}})
      .BaseBoard("LENOVO", "20HRCTO1WW", "SDK0J40697 WIN")
      .Enclosure(0x8A)
      .MemoryDevice(module)
      .Slot(0x14, 0x0F, 0x02, "\xC4" "rger");
  return table;
}

inline std::vector<TCorpusTable> SmbiosCorpus() {
  return {{"wine8", WineTable()},           {"smbios23", Smbios23Table()}, {"two_modules", TwoModulesTable()},
          {"smbios3_sizes", Smbios3SizesTable()}, {"asrock", AsrockTable()},   {"odd", OddTable()}};
}
