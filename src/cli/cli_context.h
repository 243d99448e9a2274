// What a qvcli command works with: the machine, the two output streams, and the
// flag the console's interrupt handler (Ctrl+C) sets.
#pragma once

#include <atomic>
#include <iosfwd>

#include "platform/system_ports.h"

struct TCliContext {
  TSystemPorts ports;
  std::ostream& out;
  std::ostream& err;
  const std::atomic<bool>* interrupted = nullptr;  // none: the command cannot be interrupted
};
