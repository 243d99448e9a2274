// A root-enumerated test device installed from a small INF the test writes, its
// driver key completed with the values Windows writes at install time; the
// device, the INF copied into the system's INF folder and the test's files are
// removed when the installer goes out of scope, on every path.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <string>

#include "support/temp_folder.h"

// What the test INF declares and what the completed driver key holds.
struct TTestDriverFacts {
  std::wstring hardwareId;
  std::wstring description = L"Quorvane Test Device";
  std::wstring manufacturer = L"Quorvane Test Manufacturer";
  std::wstring provider = L"Quorvane Test Provider";
  std::wstring section = L"QuorvaneTest_Install";
  std::wstring className = L"System";
  std::wstring classGuid = L"{4d36e97d-e325-11ce-bfc1-08002be10318}";
  WORD year = 2021, month = 3, day = 4;  // DriverVer date
  WORD version[4] = {1, 2, 3, 4};        // DriverVer version
};

class TTestDeviceInstaller {
 public:
  explicit TTestDeviceInstaller(TTestDriverFacts facts) : m_facts(std::move(facts)) {}
  ~TTestDeviceInstaller();
  TTestDeviceInstaller(const TTestDeviceInstaller&) = delete;
  TTestDeviceInstaller& operator=(const TTestDeviceInstaller&) = delete;

  // Writes the INF, creates and registers the device, installs its driver and
  // completes the driver key. Empty on success, else which step failed and its error.
  std::string Install();

  // The driver key's values as the installer left them (before completing the key).
  const std::wstring& InstalledSection() const { return m_installedSection; }
  const std::wstring& InstalledInfPath() const { return m_installedInfPath; }
  // The INF's name in the system's INF folder ("oem<n>.inf").
  const std::wstring& OemInfName() const { return m_oemInf; }
  // Removes the device now (DIF_REMOVE); true when it is gone.
  bool Remove();
  // Leaves the device and its INF installed when the installer goes out of scope.
  void Keep() { m_keep = true; }

 private:
  std::string Fail(const char* step, DWORD error) const;
  std::string WriteInf();
  std::string CreateDevice();
  std::string InstallDriver();
  std::string CompleteDriverKey();

  TTestDriverFacts m_facts;
  TTempFolder m_folder;
  std::wstring m_infPath;
  HDEVINFO m_set = INVALID_HANDLE_VALUE;
  SP_DEVINFO_DATA m_device{};
  bool m_registered = false;
  bool m_keep = false;
  std::wstring m_oemInf;
  std::wstring m_installedSection;
  std::wstring m_installedInfPath;
};
