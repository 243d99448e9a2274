// Power port: the shutdown privilege and the request to restart the computer.
#pragma once

#include <cstdint>

// ExitWindowsEx flags and the reason the program records.
#ifndef EWX_REBOOT
constexpr uint32_t EWX_REBOOT = 0x00000002;
#endif
#ifndef EWX_FORCEIFHUNG
constexpr uint32_t EWX_FORCEIFHUNG = 0x00000010;
#endif
#ifndef SHTDN_REASON_PLANNED_OS_HARDWARE_DRIVER
constexpr uint32_t SHTDN_REASON_PLANNED_OS_HARDWARE_DRIVER = 0x8002000D;
#endif

class IPower {
 public:
  virtual ~IPower() = default;
  // Opens the process token and enables "SeShutdownPrivilege"; false on any failure.
  virtual bool EnableShutdownPrivilege() = 0;
  // ExitWindowsEx; true when the request was accepted.
  virtual bool RequestRestart(uint32_t flags, uint32_t reason) = 0;
};
