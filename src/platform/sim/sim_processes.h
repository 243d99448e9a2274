// Simulated processes: this program's identity, the running programs, started copies.
#pragma once

#include "platform/processes.h"

class TSimProcesses : public IProcesses {
 public:
  uint32_t processId = 4242;
  std::string moduleFileName = "C:\\Program Files\\Quorvane\\Quorvane.exe";
  std::vector<std::string> running{"System", "explorer.exe", "Quorvane.exe"};
  std::string userName = "tester";
  bool createSucceeds = true;
  std::vector<std::string> started;  // command lines of StartProcess

  uint32_t CurrentProcessId() override { return processId; }
  std::string ModuleFileName() override { return moduleFileName; }
  bool StartProcess(const std::string& commandLine) override {
    if (!createSucceeds) return false;
    started.push_back(commandLine);
    return true;
  }
  std::vector<std::string> RunningExecutables() override { return running; }
  std::string CurrentUserName() override { return userName; }
};
