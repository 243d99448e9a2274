// Simulated power management: records the privilege and restart requests.
#pragma once

#include <vector>

#include "platform/power.h"

class TSimPower : public IPower {
 public:
  struct TExitRequest {
    uint32_t flags;
    uint32_t reason;
  };
  bool privilegeAvailable = true;
  bool privilegeEnabled = false;
  bool acceptsExit = true;
  std::vector<TExitRequest> exitRequests;

  bool EnableShutdownPrivilege() override {
    privilegeEnabled = privilegeAvailable;
    return privilegeEnabled;
  }
  bool RequestRestart(uint32_t flags, uint32_t reason) override {
    exitRequests.push_back({flags, reason});
    return acceptsExit && privilegeEnabled;
  }
};
