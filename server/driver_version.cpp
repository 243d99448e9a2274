// Driver versions (four numbers) and dates as the INF DriverVer line and the wire carry them.
#include "driver_version.h"

#include <charconv>
#include <cstdio>

#include "ascii_text.h"

namespace qvserver {

namespace {

std::optional<unsigned> parse_number(std::string_view text, unsigned max_value) {
  text = trim(text);
  if (text.empty()) return std::nullopt;
  unsigned value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value > max_value) return std::nullopt;
  return value;
}

}  // namespace

std::string DriverVersion::text() const {
  char buffer[48];
  char* end = buffer;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) *end++ = '.';
    end = std::to_chars(end, buffer + sizeof buffer, parts[i]).ptr;
  }
  return std::string(buffer, end);
}

std::optional<DriverVersion> parse_driver_version(std::string_view text) {
  // Read once per device of every scan: the parts are taken in place, without a list.
  text = trim(text);
  DriverVersion version;
  for (std::size_t i = 0; i < version.parts.size(); ++i) {
    auto dot = text.find('.');
    auto part = parse_number(text.substr(0, dot), 65535);
    if (!part) return std::nullopt;
    version.parts[i] = *part;
    if (dot == std::string_view::npos) return version;
    text.remove_prefix(dot + 1);
  }
  return std::nullopt;  // more than four parts
}

std::optional<std::string> parse_inf_date(std::string_view text) {
  text = trim(text);
  char separator = text.find('/') != std::string_view::npos ? '/' : '-';
  auto pieces = split(text, separator);
  if (pieces.size() != 3 || trim(pieces[2]).size() != 4) return std::nullopt;
  auto month = parse_number(pieces[0], 12);
  auto day = parse_number(pieces[1], 31);
  auto year = parse_number(pieces[2], 9999);
  if (!month || !day || !year || *month == 0 || *day == 0) return std::nullopt;
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%04u-%02u-%02u", *year, *month, *day);
  return std::string(buffer);
}

std::optional<DriverVer> parse_driver_ver(std::string_view text) {
  auto comma = text.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  auto date = parse_inf_date(text.substr(0, comma));
  auto version = parse_driver_version(text.substr(comma + 1));
  if (!date || !version) return std::nullopt;
  return DriverVer{*date, *version};
}

}  // namespace qvserver
