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

double Milliseconds(TClock::duration duration) { return std::chrono::duration<double, std::milli>(duration).count(); }

// The first call's time and the mean of the rounds calls after it, in milliseconds.
struct TTimes {
  double first;
  double mean;
};

TTimes Measure(int rounds, const std::function<void()>& call) {
  const auto start = TClock::now();
  call();
  const auto warm = TClock::now();
  for (int i = 0; i < rounds; ++i) call();
  return {Milliseconds(warm - start), Milliseconds(TClock::now() - warm) / rounds};
}

void Print(const char* name, const TTimes& times, const TTimes& reference) {
  std::printf("%-44s first %9.3f ms (%6.0f x), then %8.3f ms (%6.0f x)\n", name, times.first,
              times.first / reference.first, times.mean, times.mean / reference.mean);
}

}  // namespace

int main() {
  TWin32Machine machine;
  // WMI first: its first query in a process starts the services it needs.
  bool wmiTable = false;
  const TTimes wmi = Measure(5, [&] { wmiTable = ReadWmiSmbiosTable(machine.firmware).has_value(); });
  size_t tableBytes = 0;
  const TTimes firmware = Measure(200, [&] {
    auto table = ReadFirmwareSmbiosTable(machine.firmware);
    tableBytes = table ? table->Length : 0;
  });
  uint32_t megahertz = 0;
  const TTimes clock = Measure(5, [&] { megahertz = MeasureClockMHz(machine.hardware); });
  const std::string os = "Windows";
  const TTimes collection = Measure(5, [&] {
    TSystemInfo info(machine.firmware, machine.hardware, machine.locale, os);
    info.Collect();
  });
  std::printf("Times against the firmware table's read (the reference), first call and the mean after it:\n");
  char name[64];
  std::snprintf(name, sizeof name, "firmware table 'RSMB' (%zu table bytes)", tableBytes);
  Print(name, firmware, firmware);
  std::snprintf(name, sizeof name, "WMI MSSmBios_RawSMBiosTables (%s)", wmiTable ? "a table" : "no table");
  Print(name, wmi, firmware);
  std::snprintf(name, sizeof name, "clock measurement (%u MHz)", megahertz);
  Print(name, clock, firmware);
  Print("whole collection", collection, firmware);
  return 0;
}
