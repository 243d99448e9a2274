// The installed driver's date and version as the program shows them, and the
// texts Windows keeps of them in a device's driver key.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// A FILETIME that no date formats to: the driver's date is not known.
constexpr uint64_t UNKNOWN_DRIVER_DATE = 0x8000000000000000ULL;

// A FILETIME as "yyyy-MM-dd"; empty when it is not a valid time (at or past 2^63).
std::string FormatDriverDate(uint64_t fileTime);
// The four 16-bit parts, most significant first, as "%d.%d.%d.%d".
std::string FormatDriverVersion(uint64_t version);
// "a.b.c.d" (missing parts are 0) to the 64-bit form; nothing when malformed.
std::optional<uint64_t> ParseDriverVersion(const std::string& text);
// "m-d-yyyy" (the "DriverDate" value) to the FILETIME of that midnight; nothing when malformed.
std::optional<uint64_t> ParseDriverDate(const std::string& text);
