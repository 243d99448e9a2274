// A data model on a simulated machine whose application-data folder is a temp folder.
#pragma once

#include <filesystem>
#include <memory>

#include "core/data_model.h"
#include "core/paths.h"
#include "platform/sim/sim_machine.h"
#include "support/temp_folder.h"

class TSimDataModelFixture {
 public:
  TSimDataModelFixture() {
    machine.shell.appDataFolder = folder.Path();
    machine.shell.programDataFolder = folder.File("ProgramData");
    std::filesystem::create_directory(machine.shell.programDataFolder);
  }
  // The protected work area, once the program has made it.
  std::string WorkArea() const { return JoinPath(machine.shell.programDataFolder, "Quorvane"); }

  std::string AppDir() const { return JoinPath(folder.Path(), "Quorvane"); }
  void WriteSettings(const std::string& text) const { folder.Write("Quorvane/config.ini", text); }
  std::string ReadSettings() const { return folder.Read("Quorvane/config.ini"); }
  TDriverDatamodel& Create() {
    model = std::make_unique<TDriverDatamodel>(machine.Ports());
    return *model;
  }

  TTempFolder folder;
  TSimMachine machine;
  std::unique_ptr<TDriverDatamodel> model;
};
