// What collecting the PC information costs on a real machine (run it under Wine or on
// Windows), measured in one run against the firmware table's read as the reference:
// the WMI query for the raw SMBIOS table, the clock measurement and the whole
// collection. Prints the times and the ratios; asserts nothing about time.
#include <chrono>
#include <cstdio>
#include <functional>

#include "platform/win32/win32_machine.h"
#include "sysinfo/processor_facts.h"
#include "sysinfo/smbios_source.h"
#include "sysinfo/system_info.h"

namespace {

using TClock = std::chrono::steady_clock;

// The mean time of one call in milliseconds, over rounds calls after one warm-up call.
double MeanMilliseconds(int rounds, const std::function<void()>& call) {
  call();
  const auto start = TClock::now();
  for (int i = 0; i < rounds; ++i) call();
  return std::chrono::duration<double, std::milli>(TClock::now() - start).count() / rounds;
}

}  // namespace

int main() {
  TWin32Machine machine;
  size_t tableBytes = 0;
  const double firmware = MeanMilliseconds(200, [&] {
    auto table = ReadFirmwareSmbiosTable(machine.firmware);
    tableBytes = table ? table->Length : 0;
  });
  bool wmiTable = false;
  const double wmi = MeanMilliseconds(5, [&] { wmiTable = ReadWmiSmbiosTable(machine.firmware).has_value(); });
  uint32_t megahertz = 0;
  const double clock = MeanMilliseconds(5, [&] { megahertz = MeasureClockMHz(machine.hardware); });
  const std::string os = "Windows";
  const double collection = MeanMilliseconds(5, [&] {
    TSystemInfo info(machine.firmware, machine.hardware, machine.locale, os);
    info.Collect();
  });
  std::printf("firmware table ('RSMB', %zu table bytes): %8.3f ms (reference)\n", tableBytes, firmware);
  std::printf("WMI MSSmBios_RawSMBiosTables (%s):  %8.3f ms = %7.0f x the firmware table\n",
              wmiTable ? "a table" : "no table", wmi, wmi / firmware);
  std::printf("clock measurement (%u MHz):           %8.3f ms = %7.0f x the firmware table\n", megahertz, clock,
              clock / firmware);
  std::printf("whole collection:                      %8.3f ms = %7.0f x the firmware table\n", collection,
              collection / firmware);
  return 0;
}
