// The system-information page's rows: captions from the string table, values and
// their formats from the PC information. The window's grid and qvcli info show them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/string_table.h"
#include "sysinfo/system_info.h"

struct TSysInfoRow {
  std::string caption;
  std::string value;

  bool operator==(const TSysInfoRow&) const = default;
};

// What the system-information page shows: its title and the grid's rows.
struct TSysInfoView {
  std::string title;
  std::vector<TSysInfoRow> rows;

  bool operator==(const TSysInfoView&) const = default;
};

TSysInfoView SysInfoView(const TSystemInfo& info, IStringTable& strings, const std::string& decimalSeparator);

// The thirteen fixed rows, then one per memory module and one per system slot.
std::vector<TSysInfoRow> SysInfoRows(const TSystemInfo& info, IStringTable& strings,
                                     const std::string& decimalSeparator);
// The speed format with each "%2.f" replaced, in order, by the current and the
// maximum speed in GHz with two decimals ("3.60 (4.20) GHz").
std::string CpuSpeedText(const std::string& format, int32_t currentMHz, int32_t maxMHz,
                         const std::string& decimalSeparator);
// Volts in the shortest decimal form ("1.2", "0").
std::string VoltageText(double volts, const std::string& decimalSeparator);
