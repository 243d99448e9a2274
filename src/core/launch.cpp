#include "core/launch.h"

namespace {

std::string FileNamePart(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string AsciiLower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return text;
}

}  // namespace

bool LaunchAndWait(IShell& shell, uintptr_t AWindow, const std::string& AFileName,
                   const std::string& AParameters, bool AOpenVerb, bool AWait) {
  TShellExecuteRequest request;
  request.ownerWindow = AWindow;
  request.mask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  request.verb = AOpenVerb ? "open" : "runas";
  request.file = AFileName;
  request.parameters = AParameters;
  request.show = SW_SHOWNORMAL;
  std::unique_ptr<IProcessHandle> process;
  if (!shell.ExecuteEx(request, process)) return false;
  if (AWait && process) process->WaitForExit();
  return true;
}

bool RestartApplication(IProcesses& processes, const std::function<void()>& requestQuit) {
  std::string commandLine =
      "\"" + processes.ModuleFileName() + "\" /pid:" + std::to_string(processes.CurrentProcessId());
  if (!processes.StartProcess(commandLine)) return false;
  requestQuit();
  return true;
}

bool RebootSystem(IPower& power) {
  power.EnableShutdownPrivilege();  // a failure shows in the request's answer
  return power.RequestRestart(EWX_REBOOT | EWX_FORCEIFHUNG, SHTDN_REASON_PLANNED_OS_HARDWARE_DRIVER);
}

bool IsProcessRunning(IProcesses& processes, const std::string& AName) {
  const std::string wanted = AsciiLower(FileNamePart(AName));
  for (const std::string& running : processes.RunningExecutables())
    if (AsciiLower(FileNamePart(running)) == wanted) return true;
  return false;
}

std::string GetCurrentUserName(IProcesses& processes) { return processes.CurrentUserName(); }
