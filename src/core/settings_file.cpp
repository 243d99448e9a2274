// TDriverDatamodel: reading and writing "config.ini".
#include "core/data_model.h"
#include "core/errors.h"
#include "core/ini_file.h"
#include "core/paths.h"

namespace {

constexpr const char* kBackup = "Backup Settings";
constexpr const char* kProxy = "Proxy Configuration";
constexpr const char* kGeneral = "General Configuration";

// An empty value leaves the field as it was.
void ReadNonEmpty(const TIniFile& ini, const char* section, const char* key, std::string& field) {
  std::string value = ini.ReadString(section, key, {});
  if (!value.empty()) field = value;
}

}  // namespace

void TDriverDatamodel::ReadSettings() {
  const TIniFile ini = TIniFile::Load(SettingsFileName());

  m_BackupLocation = ini.ReadString(kBackup, "Location", {});
  if (m_BackupLocation.empty()) {
    m_BackupLocation = JoinPath(m_AppDir, "Backup");
    ForceFolder(m_ports.fileSystem, m_BackupLocation);
  }
  m_LastBackupLocation = ini.ReadString(kBackup, "Last Location", {});

  m_ProxyEnabled = ini.ReadBool(kProxy, "Proxy Enabled", false);
  ReadNonEmpty(ini, kProxy, "Proxy Server Url", m_ProxyURL);
  ReadNonEmpty(ini, kProxy, "UserName", m_ProxyUserName);
  ReadNonEmpty(ini, kProxy, "Password", m_ProxyPassword);
  int32_t proxyPort = ini.ReadInteger(kProxy, "Proxy Server Port", QV_DEFAULT_PROXY_PORT);
  if (proxyPort > 0) m_ProxyPort = proxyPort;

  m_DownLoadLocation = ini.ReadString(kGeneral, "Download Location", {});
  if (m_DownLoadLocation.empty()) {
    m_DownLoadLocation = JoinPath(m_AppDir, "Download");
    ForceFolder(m_ports.fileSystem, m_DownLoadLocation);
  }
  m_CheckForUpdate = ini.ReadBool(kGeneral, "Check Update", false);
  m_StartatLogin = ini.ReadBool(kGeneral, "Startup Launch", false);
  m_RunScanAtStart = ini.ReadBool(kGeneral, "Auto Run Scan", false);
  m_ShowSplash = ini.ReadBool(kGeneral, "Show Splash", true);
  m_ShowUnplugged = ini.ReadBool(kGeneral, "Show Unplugged", true);
  m_UseRestorePoints = ini.ReadBool(kGeneral, "Restore Points", false);
  m_Language = ini.ReadInteger(kGeneral, "Language", 0);
}

void TDriverDatamodel::DumpSettings() {
  const std::string fileName = SettingsFileName();
  TIniFile ini = TIniFile::Load(fileName);
  ini.WriteString(kBackup, "Location", m_BackupLocation);
  ini.WriteString(kBackup, "Last Location", m_LastBackupLocation);
  ini.WriteBool(kProxy, "Proxy Enabled", m_ProxyEnabled);
  ini.WriteString(kProxy, "Proxy Server Url", m_ProxyURL);
  ini.WriteString(kProxy, "UserName", m_ProxyUserName);
  ini.WriteString(kProxy, "Password", m_ProxyPassword);
  ini.WriteInteger(kProxy, "Proxy Server Port", m_ProxyPort);
  ini.WriteString(kGeneral, "Download Location", m_DownLoadLocation);
  ini.WriteBool(kGeneral, "Check Update", m_CheckForUpdate);
  ini.WriteBool(kGeneral, "Startup Launch", m_StartatLogin);
  ini.WriteBool(kGeneral, "Auto Run Scan", m_RunScanAtStart);
  ini.WriteBool(kGeneral, "Show Splash", m_ShowSplash);
  ini.WriteBool(kGeneral, "Show Unplugged", m_ShowUnplugged);
  ini.WriteBool(kGeneral, "Restore Points", m_UseRestorePoints);
  ini.WriteInteger(kGeneral, "Language", m_Language);
  if (!WriteFileAtomically(m_ports.fileSystem, fileName, ini.Text()))
    throw EInOutError(FormatText("Unable to write to %s", fileName));
}
