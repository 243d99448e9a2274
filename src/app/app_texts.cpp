#include "app/app_texts.h"

#include <ctime>

#include "core/errors.h"
#include "proto/client_messages.h"
#include "res/string_ids.h"

std::string ModuleVersionText(IModuleVersion& moduleVersion, std::string format) {
  TClientVersion version;
  version.GetModuleVersion(moduleVersion);
  for (const std::string* part :
       {&version.Fversion_major, &version.Fversion_minor, &version.Fversion_vminor, &version.Fversion_vbuild}) {
    format = FormatText(format, *part);
  }
  return format;
}

std::string LegalNoticeText(IStringTable& strings) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_s(&local, &now);
  std::string pattern = strings.Load(IDS_LEGAL_NOTICE);
  size_t at = pattern.find("%d");
  if (at == std::string::npos) return pattern;
  return pattern.substr(0, at) + std::to_string(local.tm_year + 1900) + pattern.substr(at + 2);
}
