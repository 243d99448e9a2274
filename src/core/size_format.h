// Display texts of byte and kilobyte counts.
#pragma once

#include <cstdint>
#include <string>

// "#.## GB", "#.## MB", "#.## KB" or "#.## bytes" by strict thresholds of 1024.
std::string FormatByteSize(int64_t ASize, const std::string& decimalSeparator);
// A decimal kilobyte count as "###0.## <unit>" with units from "Bytes" to "YB";
// raises EConvertError when the text is not a whole number.
std::string FormatKilobyteSize(const std::string& AText, const std::string& decimalSeparator);
