// Simulated module version: the version resource a test gives the program.
#pragma once

#include "platform/module_version.h"

class TSimModuleVersion : public IModuleVersion {
 public:
  std::optional<TFileVersion> fileVersion;

  std::optional<TFileVersion> OwnFileVersion() override { return fileVersion; }
};
