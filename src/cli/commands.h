// qvcli: the program's engine from the command line, for scripting and tests.
#pragma once

#include <atomic>
#include <iosfwd>
#include <string>
#include <vector>

#include "platform/system_ports.h"

// Exit codes.
constexpr int QVCLI_OK = 0;
constexpr int QVCLI_SERVER_PROBLEM = 1;
constexpr int QVCLI_STOPPED = 2;
constexpr int QVCLI_USAGE = 3;

// Runs one command (arguments without the program name) on the given machine;
// interrupted, when given, is set by the console's Ctrl+C handler.
int RunQvcli(const std::vector<std::string>& arguments, TSystemPorts ports, std::ostream& out, std::ostream& err,
             const std::atomic<bool>* interrupted = nullptr);
