// Runs a program of the build beside the test program and collects what it prints
// (standard output and error) and its exit code.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/win32_handles.h"

struct TProgramRun {
  std::string output;
  DWORD exitCode = 0xFFFFFFFF;  // the program did not start
};

inline TProgramRun RunProgram(const std::wstring& commandLine) {
  TProgramRun run;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return run;
  TKernelHandle reader(readEnd), writer(writeEnd);
  SetHandleInformation(reader.Get(), HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writer.Get();
  startup.hStdError = writer.Get();
  PROCESS_INFORMATION process{};
  std::wstring line = commandLine;
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                      &process))
    return run;
  TKernelHandle processHandle(process.hProcess), thread(process.hThread);
  writer.Reset();
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(reader.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) run.output.append(buffer, read);
  WaitForSingleObject(processHandle.Get(), INFINITE);
  GetExitCodeProcess(processHandle.Get(), &run.exitCode);
  return run;
}

// The full path of a program built beside the test program.
inline std::wstring ProgramBesideTests(const wchar_t* name) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1) + name;
}

inline std::wstring QvcliPath() { return ProgramBesideTests(L"qvcli.exe"); }
