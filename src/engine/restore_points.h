// System Restore: whether it is switched on, switching it on for a drive, and a restore
// point created on a thread of its own while the user-interface thread keeps its messages
// flowing. Failures are shown through the message sink (none: not shown).
#pragma once

#include <string>
#include <utility>

#include "engine/message_sink.h"
#include "platform/system_ports.h"

// The System Restore key under HKEY_LOCAL_MACHINE and its two values.
inline constexpr const char* SYSTEM_RESTORE_KEY = "Software\\Microsoft\\Windows NT\\CurrentVersion\\SystemRestore";
inline constexpr const char* RP_SESSION_INTERVAL_VALUE = "RPSessionInterval";
inline constexpr const char* RP_CREATION_FREQUENCY_VALUE = "SystemRestorePointCreationFrequency";

// "RPSessionInterval" exists as a number other than 0; false when the key cannot be read.
bool IsSystemRestoreEnabled(const TSystemPorts& ports);
// The "Enable" method for the drive (such as "C:\"); true when it returned 0. Called on
// the user-interface thread.
bool EnableSystemRestore(const TSystemPorts& ports, IMessageSink* sink, const std::string& drive);
// From Windows 8 on: true writes the creation frequency 0 (no limit on how often restore
// points are made), false deletes it again. Earlier systems are left alone.
void SetRestorePointFrequency(const TSystemPorts& ports, bool AEnable);
// A restore point (device driver install, begin of a system change) with the description;
// false at once for an empty description. Blocks the calling user-interface thread but
// keeps its messages flowing; raises std::system_error when that wait fails.
bool CreateSystemRestorePoint(const TSystemPorts& ports, IMessageSink* sink, const std::string& ADescription);

// The restore point's work, run on its own thread by CreateSystemRestorePoint.
class TrsThread {
 public:
  TrsThread(const TSystemPorts& ports, IMessageSink* sink, std::string ADescription)
      : FDescription(std::move(ADescription)), m_ports(ports), m_sink(sink) {}

  // The thread's body: never throws; the frequency value and COM are released on every path.
  void Execute();
  // 1 when the restore point was created, else 0.
  int ReturnValue() const { return m_returnValue; }

  const std::string FDescription;

 private:
  const TSystemPorts& m_ports;
  IMessageSink* m_sink;
  int m_returnValue = 0;
};
