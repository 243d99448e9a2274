// The test device's life: INF written, device created and registered, driver
// installed through newdev.dll, driver key completed; everything undone at the end.
#include "windows/test_device_installer.h"

#include <newdev.h>

#include <cstdio>

#include "platform/win32/system_library.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"

namespace {

std::wstring Decimal(DWORD value) {
  wchar_t text[16];
  swprintf(text, 16, L"%lu", static_cast<unsigned long>(value));
  return text;
}

// The INF as a test driver package would carry it: one model, one install section
// without files, the device associated with no service.
std::string InfText(const TTestDriverFacts& facts) {
  auto text = [](const std::wstring& value) { return WideToUtf8(value); };
  char driverVer[64];
  std::snprintf(driverVer, sizeof(driverVer), "%02u/%02u/%04u,%u.%u.%u.%u", facts.month, facts.day, facts.year,
                facts.version[0], facts.version[1], facts.version[2], facts.version[3]);
  std::string section = text(facts.section);
  return "[Version]\r\n"
         "Signature=\"$Windows NT$\"\r\n"
         "Class=" + text(facts.className) + "\r\n"
         "ClassGuid=" + text(facts.classGuid) + "\r\n"
         "Provider=%Provider%\r\n"
         "DriverVer=" + driverVer + "\r\n"
         "\r\n[Manufacturer]\r\n"
         "%Manufacturer%=Models,NTamd64\r\n"
         "\r\n[Models.NTamd64]\r\n"
         "%DeviceDesc%=" + section + "," + text(facts.hardwareId) + "\r\n"
         "\r\n[" + section + "]\r\n"
         "\r\n[" + section + ".Services]\r\n"
         "AddService=,2\r\n"
         "\r\n[Strings]\r\n"
         "Provider=\"" + text(facts.provider) + "\"\r\n"
         "Manufacturer=\"" + text(facts.manufacturer) + "\"\r\n"
         "DeviceDesc=\"" + text(facts.description) + "\"\r\n";
}

std::wstring ReadKeyString(HKEY key, const wchar_t* name) {
  wchar_t value[MAX_PATH] = {};
  DWORD type = 0, size = sizeof(value) - sizeof(wchar_t);
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return {};
  return value;
}

LSTATUS WriteKeyString(HKEY key, const wchar_t* name, const std::wstring& value) {
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

TTestDeviceInstaller::~TTestDeviceInstaller() {
  if (!m_keep) Remove();
  if (m_set != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(m_set);
  if (!m_keep && !m_oemInf.empty()) SetupUninstallOEMInfW(m_oemInf.c_str(), SUOI_FORCEDELETE, nullptr);
}

bool TTestDeviceInstaller::Remove() {
  if (!m_registered) return true;
  m_registered = !SetupDiCallClassInstaller(DIF_REMOVE, m_set, &m_device);
  return !m_registered;
}

std::string TTestDeviceInstaller::Fail(const char* step, DWORD error) const {
  char text[128];
  std::snprintf(text, sizeof(text), "%s failed with error %lu (0x%lx)", step, static_cast<unsigned long>(error),
                static_cast<unsigned long>(error));
  return text;
}

std::string TTestDeviceInstaller::Install() {
  for (auto step : {&TTestDeviceInstaller::WriteInf, &TTestDeviceInstaller::CreateDevice,
                    &TTestDeviceInstaller::InstallDriver, &TTestDeviceInstaller::CompleteDriverKey}) {
    std::string failure = (this->*step)();
    if (!failure.empty()) return failure;
  }
  return {};
}

std::string TTestDeviceInstaller::WriteInf() {
  m_folder.Write("quorvane_test.inf", InfText(m_facts));
  m_infPath = Utf8ToWide(m_folder.File("quorvane_test.inf"));
  return {};
}

std::string TTestDeviceInstaller::CreateDevice() {
  GUID classGuid{};
  if (!SetupDiClassGuidsFromNameW(m_facts.className.c_str(), &classGuid, 1, nullptr))
    return Fail("SetupDiClassGuidsFromNameW", GetLastError());
  m_set = SetupDiCreateDeviceInfoList(&classGuid, nullptr);
  if (m_set == INVALID_HANDLE_VALUE) return Fail("SetupDiCreateDeviceInfoList", GetLastError());
  m_device.cbSize = sizeof(m_device);
  if (!SetupDiCreateDeviceInfoW(m_set, L"QuorvaneTest", &classGuid, m_facts.description.c_str(), nullptr,
                                DICD_GENERATE_ID, &m_device))
    return Fail("SetupDiCreateDeviceInfoW", GetLastError());

  // REG_MULTI_SZ: the id, its terminator and the list's terminator.
  std::wstring ids = m_facts.hardwareId + L'\0';
  if (!SetupDiSetDeviceRegistryPropertyW(m_set, &m_device, SPDRP_HARDWAREID, reinterpret_cast<const BYTE*>(ids.c_str()),
                                         static_cast<DWORD>((ids.size() + 1) * sizeof(wchar_t))))
    return Fail("SetupDiSetDeviceRegistryPropertyW", GetLastError());
  if (!SetupDiCallClassInstaller(DIF_REGISTERDEVICE, m_set, &m_device))
    return Fail("SetupDiCallClassInstaller(DIF_REGISTERDEVICE)", GetLastError());
  m_registered = true;
  return {};
}

std::string TTestDeviceInstaller::InstallDriver() {
  TLibrary newdev = LoadSystemLibrary(L"newdev.dll");
  if (!newdev) return Fail("LoadSystemLibrary(newdev.dll)", GetLastError());
  auto update = reinterpret_cast<decltype(&UpdateDriverForPlugAndPlayDevicesW)>(
      reinterpret_cast<void*>(GetProcAddress(newdev.Get(), "UpdateDriverForPlugAndPlayDevicesW")));
  if (!update) return Fail("GetProcAddress(UpdateDriverForPlugAndPlayDevicesW)", GetLastError());
  BOOL reboot = FALSE;
  if (!update(nullptr, m_facts.hardwareId.c_str(), m_infPath.c_str(), INSTALLFLAG_FORCE, &reboot))
    return Fail("UpdateDriverForPlugAndPlayDevicesW", GetLastError());

  // The INF's copy in the system's INF folder: copying an INF that is already there
  // gives the existing copy's name.
  wchar_t oemPath[MAX_PATH] = {};
  wchar_t* oemName = nullptr;
  if (!SetupCopyOEMInfW(m_infPath.c_str(), nullptr, SPOST_NONE, 0, oemPath, MAX_PATH, nullptr, &oemName) || !oemName)
    return Fail("SetupCopyOEMInfW", GetLastError());
  m_oemInf = oemName;
  return {};
}

std::string TTestDeviceInstaller::CompleteDriverKey() {
  HKEY opened = SetupDiOpenDevRegKey(m_set, &m_device, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_QUERY_VALUE | KEY_SET_VALUE);
  if (opened == INVALID_HANDLE_VALUE) return Fail("SetupDiOpenDevRegKey(DIREG_DRV)", GetLastError());
  TRegKey key(opened);
  m_installedSection = ReadKeyString(key.Get(), L"InfSection");
  m_installedInfPath = ReadKeyString(key.Get(), L"InfPath");

  // What Windows writes when it installs the driver: DriverDate as "m-d-yyyy", its
  // FILETIME in DriverDateData, the version as text, InfPath as the INF folder's file name.
  SYSTEMTIME date{};
  date.wYear = m_facts.year;
  date.wMonth = m_facts.month;
  date.wDay = m_facts.day;
  FILETIME fileTime{};
  if (!SystemTimeToFileTime(&date, &fileTime)) return Fail("SystemTimeToFileTime", GetLastError());
  const WORD* v = m_facts.version;
  std::wstring version = Decimal(v[0]) + L"." + Decimal(v[1]) + L"." + Decimal(v[2]) + L"." + Decimal(v[3]);
  std::wstring dateText = Decimal(m_facts.month) + L"-" + Decimal(m_facts.day) + L"-" + Decimal(m_facts.year);
  struct TValue {
    const wchar_t* name;
    std::wstring text;
  };
  std::wstring section = m_installedSection.empty() ? m_facts.section : m_installedSection;
  for (const TValue& value : {TValue{L"DriverVersion", version}, TValue{L"DriverDate", dateText},
                              TValue{L"ProviderName", m_facts.provider}, TValue{L"InfPath", m_oemInf},
                              TValue{L"InfSection", section}, TValue{L"DriverDesc", m_facts.description}}) {
    LSTATUS status = WriteKeyString(key.Get(), value.name, value.text);
    if (status != ERROR_SUCCESS) return Fail("RegSetValueExW", static_cast<DWORD>(status));
  }
  LSTATUS status = RegSetValueExW(key.Get(), L"DriverDateData", 0, REG_BINARY,
                                  reinterpret_cast<const BYTE*>(&fileTime), sizeof(fileTime));
  if (status != ERROR_SUCCESS) return Fail("RegSetValueExW(DriverDateData)", static_cast<DWORD>(status));

  // The device's manufacturer property, which Windows sets from the INF's model.
  const std::wstring& mfg = m_facts.manufacturer;
  if (!SetupDiSetDeviceRegistryPropertyW(m_set, &m_device, SPDRP_MFG, reinterpret_cast<const BYTE*>(mfg.c_str()),
                                         static_cast<DWORD>((mfg.size() + 1) * sizeof(wchar_t))))
    return Fail("SetupDiSetDeviceRegistryPropertyW(SPDRP_MFG)", GetLastError());
  return {};
}
