// Processes: starting programs, restarting this one, looking up running ones,
// the current user, and restarting the computer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/power.h"
#include "platform/processes.h"
#include "platform/shell.h"

// Starts a program or document through the shell ("open", or "runas" to start
// elevated) and, with AWait, waits until it has ended. True when it started.
bool LaunchAndWait(IShell& shell, uintptr_t AWindow, const std::string& AFileName,
                   const std::string& AParameters, bool AOpenVerb, bool AWait);

// Starts a copy of the program that waits for this process ("/pid:"), then asks
// this one to end through requestQuit. True when the copy was started.
bool RestartApplication(IProcesses& processes, const std::function<void()>& requestQuit);

// Enables the shutdown privilege and asks for a forced restart; true when accepted.
bool RebootSystem(IPower& power);

// The logon name of the user the program runs as.
std::string GetCurrentUserName(IProcesses& processes);

// Whether a running process has the executable name of AName (its file-name part
// when it is a path), comparing ASCII letters without case.
bool IsProcessRunning(IProcesses& processes, const std::string& AName);
