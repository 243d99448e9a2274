// Module-version port: the file version of the running program's own executable.
#pragma once

#include <cstdint>
#include <optional>

// VS_FIXEDFILEINFO's file version: dwFileVersionMS (major << 16 | minor) and
// dwFileVersionLS (vminor << 16 | build).
struct TFileVersion {
  uint32_t versionMS = 0;
  uint32_t versionLS = 0;
};

class IModuleVersion {
 public:
  virtual ~IModuleVersion() = default;
  // The fixed file information of the running executable (GetModuleFileNameW,
  // GetFileVersionInfoSizeW, GetFileVersionInfoW, VerQueryValueW with "\");
  // nothing when the file has no version resource or a step fails.
  virtual std::optional<TFileVersion> OwnFileVersion() = 0;
};
