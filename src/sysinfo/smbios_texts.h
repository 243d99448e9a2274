// Display texts of the SMBIOS values the program shows, by the standard's codes;
// a code the tables do not list gives "Unknown".
#pragma once

#include <cstdint>
#include <string>

std::string SlotCurrentUsageText(uint8_t code);
std::string SlotDataBusWidthText(uint8_t code);
std::string SlotTypeText(uint8_t code);
std::string MemoryTypeText(uint8_t code);
std::string ProcessorUpgradeText(uint8_t code);
// The chassis type, bit 7 (chassis lock present) cleared first.
std::string ChassisTypeText(uint8_t code);
