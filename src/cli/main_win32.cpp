// qvcli for Windows: the engine on the real machine.
#include <windows.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_machine.h"
#include "platform/win32/win32_text.h"

namespace {

// The console's control handler takes no context, so the flag it sets lives here.
std::atomic<bool> g_interrupted{false};

BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  g_interrupted = true;
  return TRUE;  // the scan stops itself; the process is not ended here
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  RestrictDllSearchToSystemFolder();
  SetConsoleOutputCP(CP_UTF8);
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(WideToUtf8(std::wstring(argv[i])));
  TWin32Machine machine;
  return RunQvcli(arguments, machine.Ports(), std::cout, std::cerr, &g_interrupted);
}
