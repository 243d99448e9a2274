// QvMessageBox: the program's own message box, a modal dialog built from the
// kind's layout (icon, buttons Yes, OK, Cancel and their captions).
#pragma once

#include <windows.h>

#include <string>

class IStringTable;

// Control identifiers of the box's parts (the buttons only when shown).
inline constexpr int QV_BOX_YES_ID = IDYES;
inline constexpr int QV_BOX_OK_ID = IDOK;
inline constexpr int QV_BOX_CANCEL_ID = IDCANCEL;
inline constexpr int QV_BOX_TEXT_ID = 0x100;
// The box's background colour.
inline constexpr COLORREF QV_BOX_BACKGROUND = RGB(215, 228, 242);

// Shows the box modally over `owner` (its top-level window, disabled meanwhile;
// the screen when null) and returns the kind's answer for the button pressed,
// or its negative answer when the box is closed without a button. Runs its own
// message loop on the calling thread.
int QvMessageBox(HWND owner, IStringTable& strings, const std::string& ATitle, const std::string& AMsg, int AType);
