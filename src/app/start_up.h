// The program's entry sequence: predecessor wait, single instance, splash,
// main window, minimised scan, message loop.
#pragma once

#include <string>
#include <vector>

// Runs the program with its command-line parameters (without the program
// name); returns the process exit code.
int RunQuorvane(const std::vector<std::string>& parameters);
