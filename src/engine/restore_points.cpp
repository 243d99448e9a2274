#include "engine/restore_points.h"

#include <cstdio>

#include "core/errors.h"
#include "res/string_ids.h"

namespace {

constexpr const char* MESSAGE_TITLE = "Quorvane";
constexpr int MESSAGE_KIND = 0;

// The pattern with "%s" replaced by the text and "%x" by the code in hexadecimal.
std::string FormatFailure(const std::string& pattern, const std::string& text, uint32_t code) {
  char hex[9];
  std::snprintf(hex, sizeof hex, "%x", code);
  std::string message = FormatText(pattern, text);
  const size_t at = message.find("%x");
  if (at != std::string::npos) message.replace(at, 2, hex);
  return message;
}

void ShowFailure(const TSystemPorts& ports, IMessageSink* sink, int textId, const std::string& text, uint32_t code) {
  if (sink == nullptr) return;
  sink->QvMessageBox(MESSAGE_TITLE, FormatFailure(ports.strings.Load(textId), text, code), MESSAGE_KIND);
}

bool IsWindows8OrLater(const TSystemPorts& ports) {
  const TOsVersionNumbers version = ports.osVersion.Version();
  return version.major > 6 || (version.major == 6 && version.minor > 1);
}

}  // namespace

bool IsSystemRestoreEnabled(const TSystemPorts& ports) {
  auto key = ports.registry.OpenKey(TRegRoot::LocalMachine, SYSTEM_RESTORE_KEY, TRegAccess::Read, false);
  if (!key) return false;
  const auto interval = key->ReadDword(RP_SESSION_INTERVAL_VALUE);
  return interval && *interval != 0;
}

bool EnableSystemRestore(const TSystemPorts& ports, IMessageSink* sink, const std::string& drive) {
  TWmiMethodResult result;
  try {
    result = ports.systemRestore.Enable(drive);
  } catch (const std::exception&) {
    result = TWmiMethodResult::Failed(0);
  }
  if (!result.returned) ShowFailure(ports, sink, IDS_ENABLE_RESTORE_FAILED, drive, result.hresult);
  return result.returned && result.returnValue == 0;
}

void SetRestorePointFrequency(const TSystemPorts& ports, bool AEnable) {
  if (!IsWindows8OrLater(ports)) return;
  auto key = ports.registry.OpenKey(TRegRoot::LocalMachine, SYSTEM_RESTORE_KEY, TRegAccess::Write, true);
  if (!key) return;
  if (AEnable)
    key->WriteDword(RP_CREATION_FREQUENCY_VALUE, 0);
  else
    key->DeleteValue(RP_CREATION_FREQUENCY_VALUE);
}

bool CreateSystemRestorePoint(const TSystemPorts& ports, IMessageSink* sink, const std::string& ADescription) {
  if (ADescription.empty()) return false;
  TrsThread thread(ports, sink, ADescription);
  ports.threadWait.RunAndWait([&thread] { thread.Execute(); });
  return thread.ReturnValue() == 1;
}

void TrsThread::Execute() {
  m_returnValue = 0;
  const bool comInitialized = m_ports.systemRestore.InitializeCom();
  try {
    SetRestorePointFrequency(m_ports, true);
    TWmiMethodResult result;
    try {
      result = m_ports.systemRestore.CreateRestorePoint(FDescription, DEVICE_DRIVER_INSTALL, BEGIN_SYSTEM_CHANGE);
    } catch (const std::exception&) {
      result = TWmiMethodResult::Failed(0);
    }
    if (result.returned && result.returnValue == 0) m_returnValue = 1;
    if (!result.returned) ShowFailure(m_ports, m_sink, IDS_RESTORE_POINT_FAILED, "", result.hresult);
  } catch (...) {
    // Nothing leaves the thread; the restore point counts as not created.
  }
  try {
    SetRestorePointFrequency(m_ports, false);
  } catch (...) {
  }
  if (comInitialized) m_ports.systemRestore.UninitializeCom();
}
