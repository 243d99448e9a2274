#include "core/windows_policies.h"

#include <array>

#include "core/errors.h"

namespace {

const std::array<std::string, 10> LANGUAGE_CODES = {"EN", "NL", "DE", "FR", "ES",
                                                    "PT", "IT", "JP", "DA", "SV"};

void WriteDwordIfOpen(IRegistry& registry, const char* path, const char* name, uint32_t value) {
  if (auto key = registry.OpenKey(TRegRoot::LocalMachine, path, TRegAccess::Write, true))
    key->WriteDword(name, value);
}

}  // namespace

bool GetWindowsDriverUpdates(IRegistry& registry) {
  auto key = registry.OpenKey(TRegRoot::LocalMachine, DEVICE_METADATA_KEY, TRegAccess::Read, true);
  if (!key) return true;
  const char* name = "PreventDeviceMetadataFromNetwork";
  std::optional<uint32_t> type = key->ValueType(name);
  if (!type) return true;
  if (*type != REG_DWORD) throw ERegistryError(FormatText("Invalid data type for '%s'", name));
  return key->ReadDword(name).value_or(0) == 0;
}

void SetWindowsDriverUpdates(IRegistry& registry, bool AEnable) {
  WriteDwordIfOpen(registry, DEVICE_METADATA_KEY, "PreventDeviceMetadataFromNetwork", AEnable ? 0 : 1);
  WriteDwordIfOpen(registry, DRIVER_SEARCHING_KEY, "DriverUpdateWizardWuSearchEnabled", AEnable ? 1 : 0);
}

const std::string& LanguageCode(int AIndex) {
  static const std::string none;
  return AIndex >= 0 && AIndex < static_cast<int>(LANGUAGE_CODES.size()) ? LANGUAGE_CODES[AIndex] : none;
}

void SaveLanguageChoice(IRegistry& registry, const std::string& programPath, int AIndex) {
  const std::string& code = LanguageCode(AIndex);
  if (code.empty()) return;
  if (auto key = registry.OpenKey(TRegRoot::CurrentUser, LANGUAGE_CHOICE_KEY, TRegAccess::All, true))
    key->WriteString(programPath, code);
}

int LoadLanguageChoice(IRegistry& registry, const std::string& programPath) {
  auto key = registry.OpenKey(TRegRoot::CurrentUser, LANGUAGE_CHOICE_KEY, TRegAccess::Read, false);
  if (!key) return 0;
  std::optional<std::string> code = key->ReadString(programPath);
  if (!code) return 0;
  for (size_t i = 0; i < LANGUAGE_CODES.size(); ++i)
    if (LANGUAGE_CODES[i] == *code) return static_cast<int>(i);
  return 0;
}
