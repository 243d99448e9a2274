// Process port over kernel32, the tool-help snapshot and advapi32.
#pragma once

#include "platform/processes.h"

class TWin32Processes : public IProcesses {
 public:
  uint32_t CurrentProcessId() override;
  std::string ModuleFileName() override;
  bool StartProcess(const std::string& commandLine) override;
  std::vector<std::string> RunningExecutables() override;
  std::string CurrentUserName() override;
};
