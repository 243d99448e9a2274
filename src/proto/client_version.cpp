#include "proto/client_messages.h"

void TClientVersion::GetModuleVersion(IModuleVersion& moduleVersion) {
  std::optional<TFileVersion> version = moduleVersion.OwnFileVersion();
  if (!version) return;
  Fversion_major = std::to_string(version->versionMS >> 16);
  Fversion_minor = std::to_string(version->versionMS & 0xFFFF);
  Fversion_vminor = std::to_string(version->versionLS >> 16);
  Fversion_vbuild = std::to_string(version->versionLS & 0xFFFF);
}
