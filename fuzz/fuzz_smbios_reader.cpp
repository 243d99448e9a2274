// Fuzzes the SMBIOS reader with a saved RawSMBIOSData (header and table, so a
// Length that disagrees with the bytes is fuzzed too) and with the same bytes as
// the machine's firmware table: every accessor and the PC information over it, and
// every text must be valid UTF-8.
#include <cstdlib>

#include "platform/sim/sim_firmware_tables.h"
#include "platform/sim/sim_locale.h"
#include "sysinfo/smbios_reading.h"
#include "sysinfo/smbios_source.h"

namespace {

void ReadAndCheck(const TSMBios& smbios, IFirmwareTables& firmware, ILocale& locale) {
  if (smbios.RawData().Length != smbios.RawData().SMBIOSTableData.size()) std::abort();
  for (const std::string& text : ReadEverything(smbios, firmware, locale))
    if (!IsValidUtf8(text)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TSimLocale locale;
  TSimFirmwareTables firmware;
  const std::vector<uint8_t> bytes(data, data + size);
  const TSMBios saved(ParseRawSmbiosData(bytes), locale);
  ReadAndCheck(saved, firmware, locale);
  firmware.rawSmbios = bytes;
  const TSMBios machine(firmware, locale);
  ReadAndCheck(machine, firmware, locale);
  return 0;
}
