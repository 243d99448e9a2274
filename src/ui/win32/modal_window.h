// The modal windows' shared steps: a frame of a client size centred on its owner (or on
// the work area), and the loop that runs while the owner is disabled, where the window
// previews the keys before its controls.
#pragma once

#include <windows.h>

#include <functional>

#include "ui/shell_layout.h"

// The window rectangle for a client area of logical width × height at the owner's DPI
// (startupDpi without an owner window of ours).
TLayoutRect ModalFrameRect(HWND owner, int startupDpi, int width, int height, DWORD style, DWORD exStyle);
// Shows window, disables owner and dispatches messages until closed() is true; a key
// that preview() takes goes no further. The owner is enabled and brought forward after.
void RunModalLoop(HWND window, HWND owner, const std::function<bool()>& closed,
                  const std::function<bool(const MSG&)>& preview);
