// The root-enumerated test device of the window tests: qv_test_device.exe beside the test
// program makes and removes it; its driver key's install section shows which INF installed it.
#pragma once

#include <windows.h>

#include <setupapi.h>

#include <cwctype>
#include <optional>
#include <string>

#include "program_under_test.h"

namespace program_under_test {

// Runs qv_test_device.exe beside the test program; its exit code.
inline DWORD RunTestDevice(const std::wstring& arguments) {
  TProcess tool(arguments, L"qv_test_device.exe");
  if (!tool.Started()) return 99;
  return tool.WaitForExit(60s).value_or(98);
}

inline std::wstring Upper(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
  return text;
}

// The driver key of the device with hardware id `hwid`: reads the install section, or
// writes it when `section` is given.
inline std::wstring DriverSection(const std::wstring& hwid, const std::optional<std::wstring>& section = std::nullopt) {
  std::wstring found;
  HDEVINFO set = SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT);
  if (set == INVALID_HANDLE_VALUE) return found;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof(device);
  for (DWORD index = 0; found.empty() && SetupDiEnumDeviceInfo(set, index, &device); ++index) {
    wchar_t ids[1024] = {};
    if (!SetupDiGetDeviceRegistryPropertyW(set, &device, SPDRP_HARDWAREID, nullptr, reinterpret_cast<BYTE*>(ids),
                                           sizeof(ids) - 2 * sizeof(wchar_t), nullptr) ||
        Upper(ids) != Upper(hwid))
      continue;
    HKEY key = SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ | KEY_SET_VALUE);
    if (key == INVALID_HANDLE_VALUE) continue;
    if (section) {
      RegSetValueExW(key, L"InfSection", 0, REG_SZ, reinterpret_cast<const BYTE*>(section->c_str()),
                     static_cast<DWORD>((section->size() + 1) * sizeof(wchar_t)));
    }
    wchar_t value[256] = {};
    DWORD size = sizeof(value) - sizeof(wchar_t);
    if (RegQueryValueExW(key, L"InfSection", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS)
      found = value;
    RegCloseKey(key);
  }
  SetupDiDestroyDeviceInfoList(set);
  return found;
}

}  // namespace program_under_test
