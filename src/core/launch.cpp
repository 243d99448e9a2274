#include "core/launch.h"

#include "platform/ascii_case.h"
#include "platform/path_parts.h"

bool LaunchAndWait(IShell& shell, uintptr_t AWindow, const std::string& AFileName,
                   const std::string& AParameters, bool AOpenVerb, bool AWait) {
  TShellExecuteRequest request;
  request.ownerWindow = AWindow;
  request.mask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  request.verb = AOpenVerb ? "open" : "runas";
  request.file = AFileName;
  request.parameters = AParameters;
  // A program starts in its own folder, where an installer finds the files beside it;
  // never in the caller's current folder (System32 for a scheduled start).
  request.directory = FolderOfPath(AFileName);
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
  const std::string wanted = FileNameOfPath(AName);
  for (const std::string& running : processes.RunningExecutables())
    if (EqualsIgnoringAsciiCase(FileNameOfPath(running), wanted)) return true;
  return false;
}

std::string GetCurrentUserName(IProcesses& processes) { return processes.CurrentUserName(); }
