// Power port: the shutdown privilege and ExitWindowsEx.
#pragma once

#include "platform/power.h"

class TWin32Power : public IPower {
 public:
  bool EnableShutdownPrivilege() override;
  bool RequestRestart(uint32_t flags, uint32_t reason) override;
};
