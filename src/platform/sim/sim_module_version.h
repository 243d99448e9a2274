// Simulated module version: the version resource a test gives the program.
#pragma once

#include <map>
#include <string>

#include "platform/module_version.h"

class TSimModuleVersion : public IModuleVersion {
 public:
  std::optional<TFileVersion> fileVersion;
  std::map<std::string, TFileVersion> fileVersions;  // by path: the versions of other files

  std::optional<TFileVersion> OwnFileVersion() override { return fileVersion; }
  std::optional<TFileVersion> FileVersionOf(const std::string& path) override {
    const auto found = fileVersions.find(path);
    if (found == fileVersions.end()) return std::nullopt;
    return found->second;
  }
};
