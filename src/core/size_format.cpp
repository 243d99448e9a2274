#include "core/size_format.h"

#include <array>
#include <cmath>
#include <limits>

#include "core/errors.h"
#include "core/number_text.h"

namespace {

// The value with at most two decimals, rounded half away from zero, without
// trailing zeros, then the unit; with leadingZero false an integer part of 0
// prints no digit.
std::string FormatTwoDecimals(double value, bool leadingZero, const std::string& separator,
                              const std::string& unit) {
  double hundredths = std::round(std::fabs(value) * 100.0);
  auto whole = static_cast<uint64_t>(hundredths / 100.0);
  auto fraction = static_cast<unsigned>(hundredths - static_cast<double>(whole) * 100.0);
  std::string text;
  if (value < 0 && hundredths > 0) text = "-";
  if (whole > 0 || leadingZero) text += std::to_string(whole);
  if (fraction > 0) {
    text += separator;
    text += static_cast<char>('0' + fraction / 10);
    if (fraction % 10) text += static_cast<char>('0' + fraction % 10);
  }
  text.append(unit);
  return text;
}

}  // namespace

std::string FormatByteSize(int64_t ASize, const std::string& decimalSeparator) {
  const double size = static_cast<double>(ASize);
  if (ASize > 1073741824) return FormatTwoDecimals(size / 1073741824.0, false, decimalSeparator, " GB");
  if (ASize > 1048576) return FormatTwoDecimals(size / 1048576.0, false, decimalSeparator, " MB");
  if (ASize > 1024) return FormatTwoDecimals(size / 1024.0, false, decimalSeparator, " KB");
  return FormatTwoDecimals(size, false, decimalSeparator, " bytes");
}

std::string FormatKilobyteSize(const std::string& AText, const std::string& decimalSeparator) {
  static const std::array<const char*, 9> units = {"Bytes", "KB", "MB", "GB", "TB",
                                                   "PB",    "EB", "ZB", "YB"};
  const int64_t kilobytes = StrToInt64(AText);
  constexpr int64_t limit = std::numeric_limits<int64_t>::max() / 1024;
  if (kilobytes > limit || kilobytes < -limit)
    throw EConvertError(FormatText("'%s' is not a valid integer value", AText));
  const double bytes = static_cast<double>(kilobytes * 1024);
  size_t exponent = 0;
  while (exponent + 1 < units.size() && bytes > std::pow(1024.0, static_cast<double>(exponent + 1)))
    ++exponent;
  return FormatTwoDecimals(bytes / std::pow(1024.0, static_cast<double>(exponent)), true, decimalSeparator,
                           std::string(" ") + units[exponent]);
}
