// qvcli for Windows: the engine on the real machine.
#include <windows.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_machine.h"
#include "platform/win32/win32_text.h"

int wmain(int argc, wchar_t** argv) {
  RestrictDllSearchToSystemFolder();
  SetConsoleOutputCP(CP_UTF8);
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(WideToUtf8(std::wstring(argv[i])));
  TWin32Machine machine;
  return RunQvcli(arguments, machine.Ports(), std::cout, std::cerr);
}
