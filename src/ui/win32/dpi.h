// DPI of windows: per-monitor v2 as the manifest declares it, with the
// QUORVANE_DPI override that lets tests render at another DPI under Wine.
#pragma once

#include <windows.h>

#include <optional>

// QUORVANE_DPI when it holds a valid DPI.
std::optional<int> DpiOverride();
// The window's own DPI (GetDpiForWindow where the system has it), or the override.
int WindowDpi(HWND hwnd);
// The DPI of the primary monitor, or the override.
int SystemDpi();
