// Shell port: starting programs, documents and addresses, and the known folders.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// SHELLEXECUTEINFOW.fMask bits.
#ifndef SEE_MASK_NOCLOSEPROCESS
constexpr uint32_t SEE_MASK_NOCLOSEPROCESS = 0x00000040;
#endif
#ifndef SEE_MASK_NOASYNC
constexpr uint32_t SEE_MASK_NOASYNC = 0x00000100;
#endif
#ifndef SEE_MASK_FLAG_NO_UI
constexpr uint32_t SEE_MASK_FLAG_NO_UI = 0x00000400;
#endif
// ShowWindow command for a normal window.
#ifndef SW_SHOWNORMAL
constexpr int SW_SHOWNORMAL = 1;
#endif

struct TShellExecuteRequest {
  uintptr_t ownerWindow = 0;
  uint32_t mask = 0;
  std::string verb;
  std::string file;
  std::string parameters;  // empty: none
  std::string directory;   // the started program's current folder (lpDirectory); empty: the caller's
  int show = SW_SHOWNORMAL;
};

// A started process; waiting on it blocks the calling thread.
class IProcessHandle {
 public:
  virtual ~IProcessHandle() = default;
  // Waits without a time limit and returns the exit code.
  virtual uint32_t WaitForExit() = 0;
};

class IShell {
 public:
  virtual ~IShell() = default;
  // ShellExecuteExW. False when it fails; on success the process handle is set
  // when the request kept one and the shell started a process.
  virtual bool ExecuteEx(const TShellExecuteRequest& request,
                         std::unique_ptr<IProcessHandle>& process) = 0;
  // ShellExecuteW; returns its instance value (above 32 means success).
  virtual intptr_t Execute(const std::string& verb, const std::string& file,
                           const std::string& parameters, int show) = 0;
  // The user's roaming application-data folder (CSIDL_APPDATA).
  virtual std::string RoamingAppDataFolder() = 0;
  // The machine's program-data folder (the known folder FOLDERID_ProgramData); empty when
  // the system cannot say.
  virtual std::string ProgramDataFolder() = 0;
  // The system's Windows folder (GetSystemWindowsDirectoryW), never an environment variable's value.
  virtual std::string WindowsFolder() = 0;
};
