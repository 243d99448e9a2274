// Windows test helpers: what a child program prints, and the rows of
// "qvcli.exe info" (the caption/value lines after its settings).
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/win32_handles.h"

namespace child_output {

// What a program prints to its standard output and error, once it has ended.
inline std::string Output(const std::wstring& commandLine) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return {};
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
    return {};
  TKernelHandle processHandle(process.hProcess), thread(process.hThread);
  writer.Reset();
  std::string output;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(reader.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) output.append(buffer, read);
  WaitForSingleObject(processHandle.Get(), INFINITE);
  return output;
}

// The program of that name in this test program's folder.
inline std::wstring Beside(const wchar_t* name) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1) + name;
}

// "Caption:   value" lines after the first blank line, as caption and value.
inline std::vector<std::pair<std::string, std::string>> InfoRows(std::string output) {
  std::erase(output, '\r');
  const auto blank = output.find("\n\n");
  std::istringstream lines(blank == std::string::npos ? std::string() : output.substr(blank + 2));
  std::vector<std::pair<std::string, std::string>> rows;
  std::string line;
  while (std::getline(lines, line)) {
    // qvcli pads every caption's colon with at least two blanks.
    const auto colon = line.find(": ");
    const auto end = colon == std::string::npos ? line.size() : colon;
    const auto value = line.find_first_not_of(' ', std::min(line.size(), end + 1));
    rows.emplace_back(line.substr(0, end), value == std::string::npos ? std::string() : line.substr(value));
  }
  return rows;
}

// The two speeds of "a (b) GHz".
inline std::pair<double, double> Speeds(const std::string& text) {
  double current = 0, max = 0;
  std::sscanf(text.c_str(), "%lf (%lf)", &current, &max);
  return {current, max};
}

}  // namespace child_output
