// Shell port over shell32.
#pragma once

#include "platform/shell.h"

class TWin32Shell : public IShell {
 public:
  bool ExecuteEx(const TShellExecuteRequest& request, std::unique_ptr<IProcessHandle>& process) override;
  intptr_t Execute(const std::string& verb, const std::string& file, const std::string& parameters,
                   int show) override;
  std::string RoamingAppDataFolder() override;
  std::string ProgramDataFolder() override;
  std::string WindowsFolder() override;
};
