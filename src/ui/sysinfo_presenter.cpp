#include "ui/sysinfo_presenter.h"

#include <cstdio>

#include "core/size_format.h"
#include "res/string_ids.h"

namespace {

constexpr int64_t MEGABYTE = 1048576;

std::string WithSeparator(std::string number, const std::string& decimalSeparator) {
  const auto dot = number.find('.');
  if (dot != std::string::npos) number.replace(dot, 1, decimalSeparator);
  return number;
}

// Only the table text's "%d" is filled in; a translation cannot add conversions.
std::string Numbered(const std::string& format, int number) {
  std::string text = format;
  const auto at = text.find("%d");
  if (at != std::string::npos) text.replace(at, 2, std::to_string(number));
  return text;
}

}  // namespace

std::string CpuSpeedText(const std::string& format, int32_t currentMHz, int32_t maxMHz,
                         const std::string& decimalSeparator) {
  std::string text = format;
  size_t from = 0;
  for (int32_t megahertz : {currentMHz, maxMHz}) {
    const auto at = text.find("%2.f", from);
    if (at == std::string::npos) break;
    char number[32];
    std::snprintf(number, sizeof number, "%2.2f", megahertz / 1000.0);
    const std::string value = WithSeparator(number, decimalSeparator);
    text.replace(at, 4, value);
    from = at + value.size();
  }
  return text;
}

std::string VoltageText(double volts, const std::string& decimalSeparator) {
  char number[32];
  std::snprintf(number, sizeof number, "%.15g", volts);
  return WithSeparator(number, decimalSeparator);
}

std::vector<TSysInfoRow> SysInfoRows(const TSystemInfo& info, IStringTable& strings,
                                     const std::string& decimalSeparator) {
  std::vector<TSysInfoRow> rows = {
      {strings.Load(IDS_SYSINFO_MANUFACTURER), info.Manufacturer()},
      {strings.Load(IDS_SYSINFO_MODEL), info.SystemModel()},
      {strings.Load(IDS_SYSINFO_WINDOWS), info.GetOS()},
      {strings.Load(IDS_SYSINFO_MOTHERBOARD), info.MotherBoard()},
      {strings.Load(IDS_SYSINFO_BIOS_MANUFACTURER), info.BiosName()},
      {strings.Load(IDS_SYSINFO_BIOS_DATE), info.BiosDetail()},
      {strings.Load(IDS_SYSINFO_PROCESSOR), info.GetProcessorModel()},
      {strings.Load(IDS_SYSINFO_SOCKET), info.Socket()},
      {strings.Load(IDS_SYSINFO_CORES), std::to_string(info.Cores())},
      {strings.Load(IDS_SYSINFO_LOGICAL_CPUS), std::to_string(info.LogicalCPU())},
      {strings.Load(IDS_SYSINFO_CPU_SPEED), CpuSpeedText(strings.Load(IDS_SYSINFO_CPU_SPEED_FORMAT), info.CPUspeed(),
                                                         info.MaxCPUspeed(), decimalSeparator)},
      {strings.Load(IDS_SYSINFO_CPU_VOLTAGE), VoltageText(info.CPUvoltage(), decimalSeparator)},
      {strings.Load(IDS_SYSINFO_MEMORY), FormatByteSize(info.GetPhysicalMemory() * MEGABYTE, decimalSeparator)},
  };
  const std::string module = strings.Load(IDS_SYSINFO_MEMORY_MODULE);
  for (int i = 0; i < info.GetMemoryDeviceCount(); ++i)
    rows.push_back({Numbered(module, i + 1), info.GetMemoryDetails(i)});
  const std::string slot = strings.Load(IDS_SYSINFO_SYSTEM_SLOT);
  for (int i = 0; i < info.GetSlotCount(); ++i) rows.push_back({Numbered(slot, i + 1), info.GetSlotInfo(i)});
  return rows;
}

TSysInfoView SysInfoView(const TSystemInfo& info, IStringTable& strings, const std::string& decimalSeparator) {
  return {strings.Load(IDS_CARD_SYSINFO), SysInfoRows(info, strings, decimalSeparator)};
}
