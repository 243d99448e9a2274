// Quorvane.exe: the window program.
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "app/start_up.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  RestrictDllSearchToSystemFolder();
  std::vector<std::string> parameters;
  int count = 0;
  const TLocalMemory<wchar_t*> arguments(CommandLineToArgvW(GetCommandLineW(), &count));
  if (arguments) {
    for (int i = 1; i < count; ++i) parameters.push_back(WideToUtf8(std::wstring(arguments.Get()[i])));
  }
  try {
    return RunQuorvane(parameters);
  } catch (const std::exception& error) {
    MessageBoxW(nullptr, Utf8ToWide(error.what()).c_str(), L"Quorvane", MB_OK | MB_ICONERROR);
    return 1;
  }
}
