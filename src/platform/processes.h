// Process port: this process, starting copies of it, and the list of running programs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class IProcesses {
 public:
  virtual ~IProcesses() = default;
  virtual uint32_t CurrentProcessId() = 0;
  // Full path of the running program.
  virtual std::string ModuleFileName() = 0;
  // CreateProcessW with this process's start-up information, no handle
  // inheritance, no flags; the new process's handles are closed at once.
  virtual bool StartProcess(const std::string& commandLine) = 0;
  // Executable file names of the running processes (their image names).
  virtual std::vector<std::string> RunningExecutables() = 0;
  // The user's logon name (GetUserNameW).
  virtual std::string CurrentUserName() = 0;
};
