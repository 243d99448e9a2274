// Module-version port: the version resource of the running executable.
#pragma once

#include "platform/module_version.h"

class TWin32ModuleVersion : public IModuleVersion {
 public:
  std::optional<TFileVersion> OwnFileVersion() override;
  std::optional<TFileVersion> FileVersionOf(const std::string& path) override;
};
