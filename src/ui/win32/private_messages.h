// The program's own window messages, all in one place so that no two share a value.
// None of them carries parameters unless its line says so.
#pragma once

#include <windows.h>

// Sent by a second start of the program to the window of class "TDriverAppForm":
// bring that window forward. Copies of any version send it, so its value (1025) is fixed.
inline constexpr UINT QV_BRING_FORWARD = WM_USER + 1;
// Posted once to the UI thread itself (no window) at start: refresh the main window's texts.
inline constexpr UINT QV_STARTUP_REFRESH = WM_APP + 1;
// Posted by an owner-drawn button to its parent: the pointer has left the button.
inline constexpr UINT QV_CHILD_MOUSE_LEFT = WM_APP + 10;
// Posted by the results page to itself: the row actions put off until a row's own message has ended are due.
inline constexpr UINT QV_ROW_ACTION = WM_APP + 11;
// Posted by the backup page's device tree to its page: a check mark the user
// toggled has flipped, so its class, devices and the Backup button follow now.
inline constexpr UINT QV_TREE_CHECK_TOGGLED = WM_APP + 12;
// Posted to the UI thread's message-only window: run a closure. lParam: the
// std::function<void()>* to run, which the message owns.
inline constexpr UINT QV_RUN_CLOSURE = WM_APP + 0x20;
// The notification-area icon's callback to its window. lParam's low word: the mouse message.
inline constexpr UINT QV_TRAY_CALLBACK = WM_APP + 0x51;

// Listed in rising order, which keeps them apart.
static_assert(QV_BRING_FORWARD < QV_STARTUP_REFRESH && QV_STARTUP_REFRESH < QV_CHILD_MOUSE_LEFT &&
              QV_CHILD_MOUSE_LEFT < QV_ROW_ACTION && QV_ROW_ACTION < QV_TREE_CHECK_TOGGLED &&
              QV_TREE_CHECK_TOGGLED < QV_RUN_CLOSURE &&
              QV_RUN_CLOSURE < QV_TRAY_CALLBACK);
static_assert(QV_BRING_FORWARD == 1025, "other copies of the program send 1025");
