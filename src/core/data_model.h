// TDriverDatamodel: the program's application state. Settings ("config.ini"),
// the device list of the last scan, the operating-system description, the PC
// information and the fixed connection parameters. It takes no locks; the callers
// keep runs apart.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "core/device_list.h"
#include "platform/system_ports.h"
#include "schedule/task_definitions.h"
#include "sysinfo/system_info.h"

// How far ignoring or including a device reaches.
enum TignoreType { deviSingle = 0, deviSameName = 1, deviAll = 2 };

// The vendor's driver server.
inline constexpr const char* QV_SERVER_HOST = "drivers.quorvane.com";
inline constexpr int32_t QV_SERVER_PORT = 443;
inline constexpr int32_t QV_DEFAULT_PROXY_PORT = 8080;

// A "config.bin" that could not be loaded at start: the error and, when the
// file was damaged, where it was kept (empty when it could not be renamed).
struct TScanResultProblem {
  std::string error;
  std::string keptAs;
};

class TDriverDatamodel {
 public:
  // Create: builds the object and loads settings, scan result and OS description.
  explicit TDriverDatamodel(TSystemPorts ports);
  TDriverDatamodel(const TDriverDatamodel&) = delete;
  TDriverDatamodel& operator=(const TDriverDatamodel&) = delete;

  // Sets the built-in constants (the server from the administrator's policy when it
  // names one), the data folder, and reads "config.ini".
  void Initialize();
  // Writes every persisted setting to "config.ini" in one replacement.
  void DumpSettings();
  // DumpSettings, then the device list and scan times to "config.bin" in one
  // replacement; a "config.bin" that could not be read at load is left as it is.
  void DumpScanResults();
  // The problem met loading "config.bin", handed out once so the front end
  // reports it once; nothing when the file loaded or did not exist.
  std::optional<TScanResultProblem> TakeScanResultProblem() { return std::exchange(m_ScanResultProblem, {}); }

  // Device list.
  void RemoveAll() { m_MyDeviceList.Clear(); }
  bool AddDevice(std::unique_ptr<TDeviceProperties> ADeviceProperties);
  TDeviceProperties* GetDevice(const std::string& strHID) const;
  static TDeviceProperties* GetDevice(const TDeviceList& devMap, const std::string& strHID);
  bool IsFirstTimeScanned() const { return m_MyDeviceList.Count() == 0; }
  bool IsOsVistaAndAbove() const;
  void GetDriverMap(TDriverMap& pMap, int aType) const;
  int GetOutofDateDrivers() const;
  int GetUptoDateDrivers() const;
  int GetIgnoredDrivers() const;
  void ExcludeDevice(TDeviceProperties& AdevProps, TignoreType AType);
  void IncludeDevice(TDeviceProperties& AdevProps, TignoreType AType);
  void ClearClassImages();
  void UpdateClassImages(const TGuid& AGUID, int32_t Aindex);
  bool LaunchBrowser(const std::string& url);

  // Logon starts (task_settings.cpp): the logon task `m_AppName` + suffix created
  // or updated, removed; the start-at-logon choice (iMode 1 enable, 0 follow
  // m_StartatLogin, other disable) as a task or, before Vista, a Run or RunOnce value.
  bool UpdateTask(const std::string& AsubKey, bool Aenable);
  void RemoveTask(const std::string& strSuffix);
  void RunAtStartupSettings(const std::string& strSubKey, int iMode);
  void RunOnceAtStartupSettings();
  // The scheduled scan: saved (scNever deletes it; `loaded` is the definition the
  // schedule page read, if any) and read back; nothing when there is none.
  bool SaveScheduledScan(const TScanSchedule& schedule, TWinTask* loaded = nullptr);
  std::optional<TScheduleReading> ReadScheduledScan();
  // What the program's task definitions are filled with, now.
  TTaskFacts TaskFacts();
  // The Task Scheduler connection; nullptr when it could not be made.
  TWinTaskScheduler* Tasks() { return m_Tasks.get(); }

  // Properties.
  const std::string& AppDir() const { return m_AppDir; }
  void SetAppDir(const std::string& value) { m_AppDir = value; }
  const std::string& GetAppName() const { return m_AppName; }
  const std::string& OSVersion() const { return m_OSVer; }
  const std::string& OSArch() const { return m_OSArch; }
  const std::string& OSDescription() const { return m_CompleteOSDesc; }
  const std::string& StartTime() const { return m_StartTime; }
  void SetStartTime(const std::string& value) { m_StartTime = value; }
  const std::string& EndTime() const { return m_EndTime; }
  void SetEndTime(const std::string& value) { m_EndTime = value; }
  const std::string& BackupLocation() const { return m_BackupLocation; }
  void SetBackupLocation(const std::string& value) { m_BackupLocation = value; }
  const std::string& LastBackupLocation() const { return m_LastBackupLocation; }
  void SetLastBackupLocation(const std::string& value) { m_LastBackupLocation = value; }
  const std::string& ServerURL() const { return m_ServerURL; }
  void SetServerURL(const std::string& value) { m_ServerURL = value; }
  int32_t ServerPort() const;
  void SetServerPort(int32_t value);
  // Whether exchanges with the driver server, and its package links, use TLS: as the
  // Server policy's scheme says; without one, on port 443 only.
  bool ServerUsesTls() const { return m_ServerTls.value_or(ServerPort() == 443); }
  void SetServerTls(std::optional<bool> value) { m_ServerTls = value; }
  int32_t DeviceCount();
  bool ProxyEnabled() const { return m_ProxyEnabled; }
  void SetProxyEnabled(bool value) { m_ProxyEnabled = value; }
  const std::string& ProxyURL() const { return m_ProxyURL; }
  void SetProxyURL(const std::string& value) { m_ProxyURL = value; }
  const std::string& ProxyUserName() const { return m_ProxyUserName; }
  void SetProxyUserName(const std::string& value) { m_ProxyUserName = value; }
  const std::string& ProxyPassword() const { return m_ProxyPassword; }
  void SetProxyPassword(const std::string& value) { m_ProxyPassword = value; }
  int32_t ProxyPort() const { return m_ProxyPort; }
  void SetProxyPort(int32_t value) { m_ProxyPort = value; }
  const std::string& DownloadLocation() const { return m_DownLoadLocation; }
  void SetDownloadLocation(const std::string& value) { m_DownLoadLocation = value; }
  bool CheckForUpdate() const { return m_CheckForUpdate; }
  void SetCheckForUpdate(bool value) { m_CheckForUpdate = value; }
  bool StartatLogin() const { return m_StartatLogin; }
  void SetStartatLogin(bool value) { m_StartatLogin = value; }
  bool RunScanAtStart() const { return m_RunScanAtStart; }
  void SetRunScanAtStart(bool value) { m_RunScanAtStart = value; }
  bool ShowSplash() const { return m_ShowSplash; }
  void SetShowSplash(bool value) { m_ShowSplash = value; }
  bool ShowUnplugged() const { return m_ShowUnplugged; }
  void SetShowUnplugged(bool value) { m_ShowUnplugged = value; }
  bool ScanMinimized() const { return m_ScanMinimized; }
  void SetScanMinimized(bool value) { m_ScanMinimized = value; }
  bool UseRestorePoints() const { return m_UseRestorePoints; }
  void SetUseRestorePoints(bool value) { m_UseRestorePoints = value; }
  bool WindowsDriverUpdates() const { return m_WindowsAutoDrvUpdate; }
  void SetWindowsDriverUpdates(bool value) { m_WindowsAutoDrvUpdate = value; }
  int32_t Language() const { return m_Language; }
  void SetLanguage(int32_t value) { m_Language = value; }
  TDeviceList& DeviceList() { return m_MyDeviceList; }
  const TDeviceList& DeviceList() const { return m_MyDeviceList; }
  bool CanSchedule() const { return m_SchedulerAvailable; }
  // The PC information, collected at the first call: reading WMI and measuring the
  // clock take a noticeable time that only its readers should pay.
  TSystemInfo& SysInfo();

  std::string SettingsFileName() const;
  std::string ScanResultFileName() const;

 private:
  void ReadSettings();
  // Loads "config.bin"; a damaged file is renamed aside and leaves the list empty.
  void LoadScanResults();
  void KeepDamagedScanResult(const std::string& error);
  void BuildOsDescription();
  bool IsHiddenUnplugged(const TDeviceProperties& device) const;
  void SetIgnored(TDeviceProperties& AdevProps, TignoreType AType, int32_t value);

  TSystemPorts m_ports;

  std::string m_AppDir;
  std::string m_AppName;
  std::string m_OSVer;
  std::string m_OSArch;
  std::string m_CompleteOSDesc;
  std::string m_StartTime;
  std::string m_EndTime;
  std::string m_BackupLocation;
  std::string m_LastBackupLocation;
  std::string m_ServerURL;
  int32_t m_ServerPort = 0;
  std::optional<bool> m_ServerTls;
  int32_t m_devicecount = 0;
  bool m_ProxyEnabled = false;
  std::string m_ProxyURL;
  std::string m_ProxyUserName;
  std::string m_ProxyPassword;
  int32_t m_ProxyPort = QV_DEFAULT_PROXY_PORT;
  std::string m_DownLoadLocation;
  bool m_CheckForUpdate = false;
  bool m_StartatLogin = false;
  bool m_RunScanAtStart = false;
  bool m_ShowSplash = true;
  bool m_ShowUnplugged = true;
  bool m_ScanMinimized = false;
  bool m_UseRestorePoints = false;
  bool m_WindowsAutoDrvUpdate = true;
  int32_t m_Language = 0;
  TDeviceList m_MyDeviceList;
  TSystemInfo m_SysInfo;
  bool m_SchedulerAvailable = false;
  std::unique_ptr<TWinTaskScheduler> m_Tasks;
  std::optional<TScanResultProblem> m_ScanResultProblem;
  bool m_scanResultUnread = false;  // "config.bin" exists but could not be read: never written over
};

// Display order of the result lists: class descriptions, ordinal, ignoring case.
int CompareClassDescription(const TDeviceProperties& a, const TDeviceProperties& b);
