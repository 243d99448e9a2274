// Registry values the program reads and writes for Windows' own behaviour: the
// automatic driver-update policy and the stored user-interface language.
#pragma once

#include <string>

#include "platform/registry.h"

inline constexpr const char* DEVICE_METADATA_KEY =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Device Metadata\\";
inline constexpr const char* DRIVER_SEARCHING_KEY =
    "Software\\Policies\\Microsoft\\Windows\\DriverSearching\\";
// Where the program keeps its language choice, one value per program path.
inline constexpr const char* LANGUAGE_CHOICE_KEY = "Software\\Quorvane\\Locales";

// False only when "PreventDeviceMetadataFromNetwork" exists and is not 0; raises
// ERegistryError when that value is not a DWORD.
bool GetWindowsDriverUpdates(IRegistry& registry);
// Writes both policy values; a key that cannot be opened is skipped.
void SetWindowsDriverUpdates(IRegistry& registry, bool AEnable);

// Language codes by index 0 to 9.
const std::string& LanguageCode(int AIndex);
void SaveLanguageChoice(IRegistry& registry, const std::string& programPath, int AIndex);
// The index of the stored code (exact comparison); 0 when none or unknown.
int LoadLanguageChoice(IRegistry& registry, const std::string& programPath);
