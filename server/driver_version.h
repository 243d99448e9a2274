// Driver versions (four numbers) and dates as the INF DriverVer line and the wire carry them.
#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qvserver {

struct DriverVersion {
  std::array<std::uint32_t, 4> parts{};
  auto operator<=>(const DriverVersion&) const = default;
  std::string text() const;  // "1.2.3.4"
};

// "1", "1.2", "1.2.3" or "1.2.3.4"; missing parts are 0. Each part must fit 16 bits
// (the installed version is a 64-bit number of four 16-bit parts).
std::optional<DriverVersion> parse_driver_version(std::string_view text);

// INF date "MM/DD/YYYY" (or with "-"; one-digit month and day accepted) as "yyyy-MM-dd".
std::optional<std::string> parse_inf_date(std::string_view text);

struct DriverVer {
  std::string date;  // "yyyy-MM-dd"
  DriverVersion version;
};

// The value of a DriverVer line, "date,version" with blanks allowed around both.
std::optional<DriverVer> parse_driver_ver(std::string_view text);

}  // namespace qvserver
