// The driver store calls of the device-installation port, the Plug and Play
// installer, backup, restore and removal on a test device installed under Wine.
#include <gtest/gtest.h>

#include <windows.h>
#include <setupapi.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/data_model.h"
#include "core/paths.h"
#include "engine/data_manager.h"
#include "platform/utf16le.h"
#include "platform/win32/win32_machine.h"
#include "platform/win32/win32_text.h"
#include "support/temp_folder.h"
#include "windows/test_device_installer.h"
#include "windows/wine_detection.h"

namespace fs = std::filesystem;

namespace {

constexpr DWORD kDummyError = 0xDEADBEEF;

TTestDriverFacts TestDriver(const wchar_t* tag) {
  TTestDriverFacts facts;
  facts.hardwareId = std::wstring(L"ROOT\\QUORVANE_") + tag + L"_" + std::to_wstring(GetCurrentProcessId());
  return facts;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string SystemFolder() {
  wchar_t folder[MAX_PATH] = {};
  GetSystemDirectoryW(folder, MAX_PATH);
  return WideToUtf8(folder);
}

std::string WindowsInfPath(const std::wstring& name) {
  wchar_t folder[MAX_PATH] = {};
  GetWindowsDirectoryW(folder, MAX_PATH);
  return WideToUtf8(std::wstring(folder) + L"\\inf\\" + name);
}

// A newer driver for the test device whose install section copies one file into
// the system's drivers folder.
std::string UpdateInfText(const TTestDriverFacts& facts, const std::string& fileName) {
  const std::string id = WideToUtf8(facts.hardwareId);
  return "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=System\r\n"
         "ClassGuid={4d36e97d-e325-11ce-bfc1-08002be10318}\r\nProvider=%Provider%\r\n"
         "DriverVer=05/06/2023,2.0.0.0\r\nCatalogFile=quorvane_update.cat\r\n"
         "\r\n[DestinationDirs]\r\nDefaultDestDir=12\r\n"
         "\r\n[SourceDisksNames]\r\n1=%Disk%\r\n\r\n[SourceDisksFiles]\r\n" + fileName + "=1\r\n"
         "\r\n[Manufacturer]\r\n%Provider%=Models,NTamd64\r\n\r\n[Models.NTamd64]\r\n%Desc%=QuorvaneBk_Update," + id + "\r\n"
         "\r\n[QuorvaneBk_Update]\r\nCopyFiles=QuorvaneBk_Files\r\n"
         "\r\n[QuorvaneBk_Update.Services]\r\nAddService=,2\r\n"
         "\r\n[QuorvaneBk_Files]\r\n" + fileName + "\r\n"
         "\r\n[Strings]\r\nProvider=\"Quorvane Test Provider\"\r\nDesc=\"Quorvane Test Device\"\r\nDisk=\"Quorvane disk\"\r\n";
}

// The test device's entry in a set of all devices.
bool FindMember(IDeviceInstall& port, TDevInfoSet set, const std::wstring& hardwareId, TSpDevinfoData& member) {
  member.cbSize = SP_DEVINFO_DATA_SIZE;
  for (uint32_t index = 0; port.EnumDeviceInfo(set, index, &member); ++index) {
    wchar_t ids[256] = {};
    uint32_t type = 0, required = 0;
    if (port.GetDeviceRegistryProperty(set, member, SPDRP_HARDWAREID, &type, reinterpret_cast<uint8_t*>(ids),
                                       sizeof(ids) - 4, &required) &&
        _wcsicmp(ids, hardwareId.c_str()) == 0)
      return true;
  }
  return false;
}

// A value of the test device's driver key.
std::string DriverKeyText(const std::wstring& hardwareId, const wchar_t* name) {
  TWin32DeviceInstall port;
  TScopedDevInfoSet set(port, port.GetClassDevs(nullptr, DIGCF_ALLCLASSES));
  TSpDevinfoData member;
  if (!set.Valid() || !FindMember(port, set.Get(), hardwareId, member)) return "<no device>";
  TScopedDeviceKey key(port, port.OpenDevRegKey(set.Get(), member, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ));
  if (!key.Valid()) return "<no key>";
  std::vector<uint8_t> data(1024, 0);
  uint32_t type = 0, size = static_cast<uint32_t>(data.size() - 2);
  if (port.QueryKeyValue(key.Get(), WideToUtf8(name), &type, data.data(), &size) != ERROR_SUCCESS) return "";
  std::u16string units = Utf16LeUnits(data.data(), size);
  return Utf16ToUtf8(units.data(), units.find(u'\0') == std::u16string::npos ? units.size() : units.find(u'\0'));
}

TEST(Win32DriverStore, PortCallsOnTheTestDevice) {
  const TTestDriverFacts facts = TestDriver(L"PORT");
  TTestDeviceInstaller installer(facts);
  ASSERT_EQ(installer.Install(), "");
  TWin32DeviceInstall port;

  const std::string systemFolder = port.SystemDirectory();
  EXPECT_EQ(systemFolder, SystemFolder());
  EXPECT_FALSE(systemFolder.empty());

  // Class GUIDs by name: one for "System"; too small a list reports the count.
  TGuid guid{};
  uint32_t required = 0;
  SetLastError(kDummyError);
  ASSERT_TRUE(port.ClassGuidsFromNameEx("System", &guid, 1, &required));
  EXPECT_EQ(required, 1u);
  GUID system{0x4d36e97d, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
  EXPECT_EQ(std::memcmp(guid.data(), &system, sizeof(system)), 0);
  SetLastError(kDummyError);
  EXPECT_FALSE(port.ClassGuidsFromNameEx("System", nullptr, 0, &required));
  EXPECT_EQ(port.LastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(required, 1u);
  EXPECT_TRUE(port.ClassGuidsFromNameEx("QuorvaneNoSuchClass", &guid, 1, &required));
  EXPECT_EQ(required, 0u);

  // A field of the installed INF; a missing line and a missing file fail with their codes.
  const std::string infPath = WindowsInfPath(installer.OemInfName());
  std::string value;
  ASSERT_TRUE(port.ReadInfField(infPath, INF_STYLE_WIN4, "Version", "Class", 1, &value)) << infPath;
  EXPECT_EQ(value, "System");
  SetLastError(kDummyError);
  EXPECT_FALSE(port.ReadInfField(infPath, INF_STYLE_WIN4, "Version", "CatalogFile", 1, &value));
  EXPECT_EQ(port.LastError(), ERROR_LINE_NOT_FOUND);
  SetLastError(kDummyError);
  EXPECT_FALSE(port.ReadInfField(infPath + ".missing", INF_STYLE_WIN4, "Version", "Class", 1, &value));
  EXPECT_NE(port.LastError(), kDummyError);

  // A queue filled from an INF section lists its copies' targets; a scan stops when asked.
  TTempFolder package;
  const std::string fileName = "qvbk_" + std::to_string(GetCurrentProcessId()) + ".sys";
  package.Write("update.inf", UpdateInfText(facts, fileName));
  package.Write(fileName, "driver file");
  {
    TScopedFileQueue queue(port, port.OpenFileQueue());
    ASSERT_TRUE(queue.Valid());
    std::vector<std::string> targets;
    uint32_t result = 1;
    EXPECT_TRUE(port.ScanFileQueue(queue.Get(), SPQ_SCAN_USE_CALLBACK,
                                   [&](const std::string& target) { return targets.push_back(target), true; }, &result));
    EXPECT_TRUE(targets.empty());
    ASSERT_TRUE(port.QueueInfSectionFiles(package.File("update.inf"), "QuorvaneBk_Update", queue.Get()));
    EXPECT_TRUE(port.ScanFileQueue(queue.Get(), SPQ_SCAN_USE_CALLBACK,
                                   [&](const std::string& target) { return targets.push_back(target), true; }, &result));
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(targets, (std::vector<std::string>{systemFolder + "\\drivers\\" + fileName}));
    SetLastError(kDummyError);
    EXPECT_FALSE(port.ScanFileQueue(queue.Get(), SPQ_SCAN_USE_CALLBACK, [](const std::string&) { return false; },
                                    &result));
  }

  // The installed driver's list, and the class installer asked for the device's files.
  TScopedDevInfoSet set(port, port.GetClassDevsEx(nullptr, DIGCF_ALLCLASSES));
  ASSERT_TRUE(set.Valid());
  TSpDevinfoData member;
  ASSERT_TRUE(FindMember(port, set.Get(), facts.hardwareId, member));
  TSpDevinstallParams params;
  params.cbSize = SP_DEVINSTALL_PARAMS_SIZE;
  ASSERT_TRUE(port.GetDeviceInstallParams(set.Get(), member, &params));
  params.FlagsEx |= DI_FLAGSEX_INSTALLEDDRIVER | DI_FLAGSEX_ALLOWEXCLUDEDDRVS;
  ASSERT_TRUE(port.SetDeviceInstallParams(set.Get(), member, params));
  SetLastError(kDummyError);
  if (port.BuildDriverInfoList(set.Get(), member, SPDIT_CLASSDRIVER)) {
    TSpDrvinfoData driver;
    driver.cbSize = SP_DRVINFO_DATA_V2_SIZE;
    ASSERT_TRUE(port.EnumDriverInfo(set.Get(), member, SPDIT_CLASSDRIVER, 0, &driver));
    EXPECT_TRUE(port.SetSelectedDriver(set.Get(), member, driver));
    EXPECT_TRUE(port.DestroyDriverInfoList(set.Get(), member, SPDIT_CLASSDRIVER));
  } else {
    RecordProperty("known_wine_deviation_installed_driver_list",
                   "SetupDiBuildDriverInfoList with DI_FLAGSEX_INSTALLEDDRIVER fails with 120");
    EXPECT_TRUE(RunsUnderWine());
    EXPECT_EQ(port.LastError(), ERROR_CALL_NOT_IMPLEMENTED);
  }
  // Without a selected driver the class installer has no files to give.
  {
    TScopedFileQueue queue(port, port.OpenFileQueue());
    ASSERT_TRUE(port.GetDeviceInstallParams(set.Get(), member, &params));
    params.FileQueue = queue.Get();
    params.Flags |= DI_NOVCP;
    ASSERT_TRUE(port.SetDeviceInstallParams(set.Get(), member, params));
    SetLastError(kDummyError);
    EXPECT_FALSE(port.CallClassInstaller(DIF_INSTALLDEVICEFILES, set.Get(), &member));
    EXPECT_EQ(port.LastError(), ERROR_NO_DRIVER_SELECTED);
    params.FileQueue = 0;
    params.Flags &= ~DI_NOVCP;
    EXPECT_TRUE(port.SetDeviceInstallParams(set.Get(), member, params));
  }
}

TEST(Win32DriverStore, InstallDriverBackupRestoreAndRemovalOfTheTestDevice) {
  const TTestDriverFacts facts = TestDriver(L"BK");
  const std::string hardwareId = WideToUtf8(facts.hardwareId);
  TTestDeviceInstaller installer(facts);
  ASSERT_EQ(installer.Install(), "");

  TTempFolder backups, package;
  TWin32Machine machine;
  TDriverDatamodel model(machine.Ports());
  model.SetBackupLocation(backups.Path());
  TDataManager engine(model, machine.Ports());

  // The engine's record of the test device, as a scan makes it.
  TDeviceProperties record;
  bool listed = false;
  for (uint32_t index = 0; !listed && index < 10000; ++index) {
    TDeviceProperties candidate;
    const int result = engine.EnumAllDevices(index, candidate);
    if (result == -1) break;
    if (result == 0 && _stricmp(candidate.strHID.c_str(), hardwareId.c_str()) == 0) {
      record = candidate;
      listed = true;
    }
  }
  ASSERT_TRUE(listed);

  // Backup: the folder, the INF and the index.
  ASSERT_TRUE(engine.Backup(record, nullptr));
  const fs::path folder = ToPath(backups.Path()) / ToPath(record.strName + " - " + record.strVersion);
  const std::string oemName = WideToUtf8(installer.OemInfName());
  EXPECT_EQ(ReadFile(folder / ToPath(oemName)), ReadFile(ToPath(WindowsInfPath(installer.OemInfName()))));
  const std::string index = ReadFile(folder / "index.dat");
  const std::u16string units = Utf16LeUnits(reinterpret_cast<const uint8_t*>(index.data()), index.size());
  EXPECT_EQ(Utf16ToUtf8(units.data(), units.size()), "\\" + oemName + ":" + hardwareId);

  // The Plug and Play installer puts a newer driver on the device, forced.
  const std::string fileName = "qvbk_" + std::to_string(GetCurrentProcessId()) + ".sys";
  const fs::path installedFile = ToPath(SystemFolder()) / "drivers" / ToPath(fileName);
  package.Write("update.inf", UpdateInfText(facts, fileName));
  package.Write(fileName, "driver file");
  // The flag gathers the run's installs: it starts clear and this one adds nothing.
  bool reboot = false;
  EXPECT_EQ(engine.InstallDriver(hardwareId, package.File("update.inf"), reboot), 0u);
  EXPECT_FALSE(reboot);
  EXPECT_EQ(ReadFile(installedFile), "driver file");
  EXPECT_EQ(DriverKeyText(facts.hardwareId, L"InfSection"), "QuorvaneBk_Update");

  // Failures report the system's codes.
  struct TCase {
    const char* what;
    std::string hardwareId, infPath;
    uint32_t code;
  } cases[] = {
      {"no device with the id", "ROOT\\QUORVANE_NO_SUCH_DEVICE", package.File("update.inf"), ERROR_NO_SUCH_DEVINST},
      {"missing INF", hardwareId, package.File("missing.inf"), ERROR_FILE_NOT_FOUND},
  };
  for (const TCase& c : cases) {
    const uint32_t code = engine.InstallDriver(c.hardwareId, c.infPath, reboot);
    if (code == 0 && RunsUnderWine())
      RecordProperty(std::string("known_wine_deviation_install_") + (c.code == ERROR_FILE_NOT_FOUND ? "missing_inf" : "no_device"),
                     "UpdateDriverForPlugAndPlayDevicesW reports success");
    else
      EXPECT_EQ(code, c.code) << c.what;
  }

  // Restore: the backed-up driver installed again over the newer one, from its copy in a
  // staging folder of the protected work area.
  EXPECT_EQ(engine.Restore(FromPath(folder), false, reboot), roRestored);
  EXPECT_EQ(DriverKeyText(facts.hardwareId, L"InfSection"), WideToUtf8(facts.section));

  // Removal by the first hardware id.
  EXPECT_FALSE(engine.UninstallDevice("ROOT\\QUORVANE_NO_SUCH_DEVICE", reboot));
  EXPECT_TRUE(engine.UninstallDevice(hardwareId, reboot));
  EXPECT_EQ(DriverKeyText(facts.hardwareId, L"InfSection"), "<no device>");

  std::error_code ignored;
  fs::remove(installedFile, ignored);
}

}  // namespace
