// TDriverDatamodel: reading and writing "config.ini".
#include "core/data_model.h"
#include "core/errors.h"
#include "core/ini_file.h"
#include "core/paths.h"

namespace {

constexpr const char* BACKUP_SECTION = "Backup Settings";
constexpr const char* PROXY_SECTION = "Proxy Configuration";
constexpr const char* GENERAL_SECTION = "General Configuration";

// An empty value leaves the field as it was.
void ReadNonEmpty(const TIniFile& ini, const char* section, const char* key, std::string& field) {
  std::string value = ini.ReadString(section, key, {});
  if (!value.empty()) field = value;
}

}  // namespace

void TDriverDatamodel::ReadSettings() {
  const TIniFile ini = TIniFile::Load(SettingsFileName());

  m_BackupLocation = ini.ReadString(BACKUP_SECTION, "Location", {});
  if (m_BackupLocation.empty()) {
    m_BackupLocation = JoinPath(m_AppDir, "Backup");
    ForceFolder(m_ports.fileSystem, m_BackupLocation);
  }
  m_LastBackupLocation = ini.ReadString(BACKUP_SECTION, "Last Location", {});

  m_ProxyEnabled = ini.ReadBool(PROXY_SECTION, "Proxy Enabled", false);
  ReadNonEmpty(ini, PROXY_SECTION, "Proxy Server Url", m_ProxyURL);
  ReadNonEmpty(ini, PROXY_SECTION, "UserName", m_ProxyUserName);
  ReadNonEmpty(ini, PROXY_SECTION, "Password", m_ProxyPassword);
  int32_t proxyPort = ini.ReadInteger(PROXY_SECTION, "Proxy Server Port", QV_DEFAULT_PROXY_PORT);
  if (proxyPort > 0) m_ProxyPort = proxyPort;

  m_DownLoadLocation = ini.ReadString(GENERAL_SECTION, "Download Location", {});
  if (m_DownLoadLocation.empty()) {
    m_DownLoadLocation = JoinPath(m_AppDir, "Download");
    ForceFolder(m_ports.fileSystem, m_DownLoadLocation);
  }
  m_CheckForUpdate = ini.ReadBool(GENERAL_SECTION, "Check Update", false);
  m_StartatLogin = ini.ReadBool(GENERAL_SECTION, "Startup Launch", false);
  m_RunScanAtStart = ini.ReadBool(GENERAL_SECTION, "Auto Run Scan", false);
  m_ShowSplash = ini.ReadBool(GENERAL_SECTION, "Show Splash", true);
  m_ShowUnplugged = ini.ReadBool(GENERAL_SECTION, "Show Unplugged", true);
  m_UseRestorePoints = ini.ReadBool(GENERAL_SECTION, "Restore Points", false);
  m_Language = ini.ReadInteger(GENERAL_SECTION, "Language", 0);
}

void TDriverDatamodel::DumpSettings() {
  const std::string fileName = SettingsFileName();
  TIniFile ini = TIniFile::Load(fileName);
  ini.WriteString(BACKUP_SECTION, "Location", m_BackupLocation);
  ini.WriteString(BACKUP_SECTION, "Last Location", m_LastBackupLocation);
  ini.WriteBool(PROXY_SECTION, "Proxy Enabled", m_ProxyEnabled);
  ini.WriteString(PROXY_SECTION, "Proxy Server Url", m_ProxyURL);
  ini.WriteString(PROXY_SECTION, "UserName", m_ProxyUserName);
  ini.WriteString(PROXY_SECTION, "Password", m_ProxyPassword);
  ini.WriteInteger(PROXY_SECTION, "Proxy Server Port", m_ProxyPort);
  ini.WriteString(GENERAL_SECTION, "Download Location", m_DownLoadLocation);
  ini.WriteBool(GENERAL_SECTION, "Check Update", m_CheckForUpdate);
  ini.WriteBool(GENERAL_SECTION, "Startup Launch", m_StartatLogin);
  ini.WriteBool(GENERAL_SECTION, "Auto Run Scan", m_RunScanAtStart);
  ini.WriteBool(GENERAL_SECTION, "Show Splash", m_ShowSplash);
  ini.WriteBool(GENERAL_SECTION, "Show Unplugged", m_ShowUnplugged);
  ini.WriteBool(GENERAL_SECTION, "Restore Points", m_UseRestorePoints);
  ini.WriteInteger(GENERAL_SECTION, "Language", m_Language);
  if (!WriteFileAtomically(m_ports.fileSystem, fileName, ini.Text()))
    throw EInOutError(FormatText("Unable to write to %s", fileName));
  RunAtStartupSettings("", 0);
}
