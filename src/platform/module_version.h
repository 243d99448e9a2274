// Module-version port: the file version of the running program's own executable, and of
// another executable file.
#pragma once

#include <cstdint>
#include <compare>
#include <optional>
#include <string>

// VS_FIXEDFILEINFO's file version: dwFileVersionMS (major << 16 | minor) and
// dwFileVersionLS (vminor << 16 | build).
struct TFileVersion {
  uint32_t versionMS = 0;
  uint32_t versionLS = 0;

  auto operator<=>(const TFileVersion&) const = default;
};

class IModuleVersion {
 public:
  virtual ~IModuleVersion() = default;
  // The fixed file information of the running executable (GetModuleFileNameW,
  // GetFileVersionInfoSizeW, GetFileVersionInfoW, VerQueryValueW with "\");
  // nothing when the file has no version resource or a step fails.
  virtual std::optional<TFileVersion> OwnFileVersion() = 0;
  // The same for the executable file at path.
  virtual std::optional<TFileVersion> FileVersionOf(const std::string& path) = 0;
};
