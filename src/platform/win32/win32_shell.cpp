#include "platform/win32/win32_shell.h"

#include <windows.h>
// shellapi.h and shlobj.h need windows.h first.
#include <shellapi.h>
#include <shlobj.h>

#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"

namespace {

class TWin32ProcessHandle : public IProcessHandle {
 public:
  explicit TWin32ProcessHandle(HANDLE process) : m_process(process) {}
  uint32_t WaitForExit() override {
    WaitForSingleObject(m_process.Get(), INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(m_process.Get(), &exitCode);
    return exitCode;
  }

 private:
  TKernelHandle m_process;
};

}  // namespace

bool TWin32Shell::ExecuteEx(const TShellExecuteRequest& request, std::unique_ptr<IProcessHandle>& process) {
  const std::wstring verb = Utf8ToWide(request.verb);
  const std::wstring file = Utf8ToWide(request.file);
  const std::wstring parameters = Utf8ToWide(request.parameters);
  const std::wstring directory = Utf8ToWide(request.directory);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = request.mask;
  info.hwnd = reinterpret_cast<HWND>(request.ownerWindow);
  info.lpVerb = verb.c_str();
  info.lpFile = file.c_str();
  info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  info.lpDirectory = directory.empty() ? nullptr : directory.c_str();
  info.nShow = request.show;
  if (!ShellExecuteExW(&info)) return false;
  if (info.hProcess) process = std::make_unique<TWin32ProcessHandle>(info.hProcess);
  return true;
}

intptr_t TWin32Shell::Execute(const std::string& verb, const std::string& file, const std::string& parameters,
                              int show) {
  const std::wstring wideParameters = Utf8ToWide(parameters);
  HINSTANCE result = ShellExecuteW(nullptr, Utf8ToWide(verb).c_str(), Utf8ToWide(file).c_str(),
                                   wideParameters.empty() ? nullptr : wideParameters.c_str(), nullptr, show);
  return reinterpret_cast<intptr_t>(result);
}

std::string TWin32Shell::RoamingAppDataFolder() {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path)))
    return {};
  return WideToUtf8(std::wstring(path));
}

std::string TWin32Shell::ProgramDataFolder() {
  PWSTR path = nullptr;
  const HRESULT result = SHGetKnownFolderPath(FOLDERID_ProgramData, KF_FLAG_DEFAULT, nullptr, &path);
  std::string folder = SUCCEEDED(result) && path ? WideToUtf8(std::wstring(path)) : std::string();
  CoTaskMemFree(path);
  return folder;
}

std::string TWin32Shell::WindowsFolder() {
  wchar_t path[MAX_PATH + 1] = {};
  const UINT length = GetSystemWindowsDirectoryW(path, MAX_PATH + 1);
  return length > 0 && length <= MAX_PATH ? WideToUtf8(path, length) : std::string();
}
