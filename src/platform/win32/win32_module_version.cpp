#include "platform/win32/win32_module_version.h"

#include <windows.h>

#include <vector>

#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_text.h"

std::optional<TFileVersion> TWin32ModuleVersion::OwnFileVersion() {
  return FileVersionOf(TWin32Processes().ModuleFileName());
}

std::optional<TFileVersion> TWin32ModuleVersion::FileVersionOf(const std::string& file) {
  const std::wstring path = Utf8ToWide(file);
  if (path.empty()) return std::nullopt;
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<BYTE> data(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return std::nullopt;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info ||
      length < sizeof(VS_FIXEDFILEINFO))
    return std::nullopt;
  return TFileVersion{info->dwFileVersionMS, info->dwFileVersionLS};
}
