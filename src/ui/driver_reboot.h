// The restart a driver change asks for (a restore, an uninstall): asked or at
// once, the scan results saved and the one-time start after the next logon set
// up first, and a notice when the system refuses the restart.
#pragma once

#include <string>

#include "platform/power.h"
#include "platform/string_table.h"

// What the restart needs from the window.
class IRebootHost {
 public:
  virtual ~IRebootHost() = default;
  // A message box of the program; the button pressed.
  virtual int Ask(const std::string& title, const std::string& text, int kind) = 0;
  // DumpScanResults, showing its own error.
  virtual void SaveScanResults() = 0;
  // The program's start once after the next logon (the logon tasks' RunOnceAtStartupSettings).
  virtual void RunOnceAtStartupSettings() = 0;
};

enum class TRebootMode { ask, automatic };

struct TRebootRequest {
  TRebootMode mode = TRebootMode::ask;
  std::string title;     // of the question and the failure notice
  std::string question;  // asked with Yes and No when mode is ask
};

// True when the restart was requested and accepted.
bool RebootForDriverChange(const TRebootRequest& request, IRebootHost& host, IPower& power, IStringTable& strings);
