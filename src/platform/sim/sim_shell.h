// Simulated shell: records what the program starts and opens.
#pragma once

#include <functional>
#include <vector>

#include "platform/shell.h"

class TSimShell : public IShell {
 public:
  struct TLaunch {
    TShellExecuteRequest request;
    bool waited = false;
  };

  std::string appDataFolder;
  std::string programDataFolder;
  std::string windowsFolder = "C:\\Windows";
  bool executeSucceeds = true;
  uint32_t exitCode = 0;
  intptr_t executeResult = 42;
  std::vector<TLaunch> launches;  // every ExecuteEx and Execute, in order
  // Runs as each request starts, as the started program would: what it sees of the machine.
  std::function<void(const TShellExecuteRequest&)> onExecute;

  bool ExecuteEx(const TShellExecuteRequest& request,
                 std::unique_ptr<IProcessHandle>& process) override;
  intptr_t Execute(const std::string& verb, const std::string& file, const std::string& parameters,
                   int show) override;
  std::string RoamingAppDataFolder() override { return appDataFolder; }
  std::string ProgramDataFolder() override { return programDataFolder; }
  std::string WindowsFolder() override { return windowsFolder; }
};
