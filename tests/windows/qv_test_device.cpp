// qv_test_device: a root-enumerated test device for end-to-end scripts.
//   qv_test_device install HWID [VERSION [PROVIDER]]  installs the device from a test INF
//                                          (driver version a.b.c.d, default 1.2.3.4; the
//                                          provider's name) and leaves it
//   qv_test_device driver-key HWID          prints the registry path of its driver key
//   qv_test_device remove HWID              removes every device whose first hardware id is
//                                          HWID and the system INF copies that name HWID
// Exit code 0 on success, 1 on failure, 3 on bad usage.
#include <windows.h>
#include <setupapi.h>

#include <cstdio>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/win32/win32_text.h"
#include "windows/test_device_installer.h"

namespace {

std::wstring Upper(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
  return text;
}

bool ParseVersion(const std::wstring& text, WORD (&version)[4]) {
  unsigned parts[4] = {};
  if (swscanf(text.c_str(), L"%u.%u.%u.%u", &parts[0], &parts[1], &parts[2], &parts[3]) != 4) return false;
  for (int i = 0; i < 4; ++i) {
    if (parts[i] > 0xFFFF) return false;
    version[i] = static_cast<WORD>(parts[i]);
  }
  return true;
}

int Install(const std::wstring& hardwareId, const std::wstring& version, const std::wstring& provider) {
  TTestDriverFacts facts;
  facts.hardwareId = hardwareId;
  if (!provider.empty()) facts.provider = provider;
  if (!version.empty() && !ParseVersion(version, facts.version)) {
    std::fprintf(stderr, "bad version: %s\n", WideToUtf8(version).c_str());
    return 3;
  }
  TTestDeviceInstaller installer(facts);
  const std::string failure = installer.Install();
  if (!failure.empty()) {
    std::fprintf(stderr, "install failed: %s\n", failure.c_str());
    return 1;
  }
  installer.Keep();
  std::printf("installed %s from %s, section %s\n", WideToUtf8(hardwareId).c_str(),
              WideToUtf8(installer.OemInfName()).c_str(), WideToUtf8(installer.InstalledSection()).c_str());
  return 0;
}

// Calls visit for every device, present or not, whose first hardware id is hardwareId.
template <typename TVisit>
bool ForEachDevice(const std::wstring& hardwareId, TVisit visit) {
  HDEVINFO set = SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
  if (set == INVALID_HANDLE_VALUE) return false;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof(device);
  for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &device); ++index) {
    wchar_t ids[1024] = {};
    if (!SetupDiGetDeviceRegistryPropertyW(set, &device, SPDRP_HARDWAREID, nullptr, reinterpret_cast<BYTE*>(ids),
                                           sizeof(ids) - 2 * sizeof(wchar_t), nullptr))
      continue;
    if (Upper(ids) == Upper(hardwareId)) visit(set, device);
  }
  SetupDiDestroyDeviceInfoList(set);
  return true;
}

int DriverKey(const std::wstring& hardwareId) {
  std::wstring found;
  ForEachDevice(hardwareId, [&](HDEVINFO set, SP_DEVINFO_DATA& device) {
    wchar_t driver[256] = {};
    if (found.empty() && SetupDiGetDeviceRegistryPropertyW(set, &device, SPDRP_DRIVER, nullptr,
                                                           reinterpret_cast<BYTE*>(driver), sizeof(driver) - 2, nullptr))
      found = driver;
  });
  if (found.empty()) {
    std::fprintf(stderr, "no device %s with a driver key\n", WideToUtf8(hardwareId).c_str());
    return 1;
  }
  std::printf("HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class\\%s\n", WideToUtf8(found).c_str());
  return 0;
}

int Remove(const std::wstring& hardwareId) {
  int removed = 0, failed = 0;
  ForEachDevice(hardwareId, [&](HDEVINFO set, SP_DEVINFO_DATA& device) {
    if (SetupDiCallClassInstaller(DIF_REMOVE, set, &device))
      ++removed;
    else
      ++failed;
  });
  // The INF folder's copies that name the id (oem<n>.inf on Windows, the INF's own name
  // on Wine): the test INF and any installed over it.
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  const std::wstring infFolder = std::wstring(windows) + L"\\inf\\";
  const std::string wanted = WideToUtf8(Upper(hardwareId));
  WIN32_FIND_DATAW entry{};
  HANDLE search = FindFirstFileW((infFolder + L"*.inf").c_str(), &entry);
  std::vector<std::wstring> copies;
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::ifstream in(std::filesystem::path(infFolder + entry.cFileName), std::ios::binary);
      std::string text((std::istreambuf_iterator<char>(in)), {});
      for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (text.find(wanted) != std::string::npos) copies.push_back(entry.cFileName);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
  }
  for (const std::wstring& copy : copies) {
    if (!SetupUninstallOEMInfW(copy.c_str(), SUOI_FORCEDELETE, nullptr)) ++failed;
    // Wine leaves the precompiled copy beside it.
    DeleteFileW((infFolder + copy.substr(0, copy.size() - 4) + L".pnf").c_str());
  }
  std::printf("removed %d device(s) and %zu INF copies\n", removed, copies.size());
  return failed == 0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"install" && argc >= 3 && argc <= 5)
    return Install(argv[2], argc >= 4 ? argv[3] : L"", argc == 5 ? argv[4] : L"");
  if (command == L"driver-key" && argc == 3) return DriverKey(argv[2]);
  if (command == L"remove" && argc == 3) return Remove(argv[2]);
  std::fprintf(stderr, "usage: qv_test_device install HWID [a.b.c.d [PROVIDER]] | driver-key HWID | remove HWID\n");
  return 3;
}
