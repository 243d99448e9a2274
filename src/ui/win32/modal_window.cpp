#include "ui/win32/modal_window.h"

#include "ui/win32/dpi.h"
#include "ui/win32/window.h"

TLayoutRect ModalFrameRect(HWND owner, int startupDpi, int width, int height, DWORD style, DWORD exStyle) {
  const TWindow* ownerWindow = TWindow::FromHandle(owner);
  const int dpi = ownerWindow ? ownerWindow->Dpi() : startupDpi;
  RECT frame{0, 0, ScaleLogical(width, dpi), ScaleLogical(height, dpi)};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  RECT area{};
  if (owner && IsWindowVisible(owner)) {
    GetWindowRect(owner, &area);
  } else {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  return CenteredRect(frame.right - frame.left, frame.bottom - frame.top, {area.left, area.top, area.right, area.bottom});
}

void RunModalLoop(HWND window, HWND owner, const std::function<bool()>& closed,
                  const std::function<bool(const MSG&)>& preview) {
  if (owner) EnableWindow(owner, FALSE);
  ShowWindow(window, SW_SHOW);
  MSG message;
  while (!closed()) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));  // the main loop ends the program
      break;
    }
    if (got < 0) break;
    const bool ours = message.hwnd == window || IsChild(window, message.hwnd);
    if (ours && message.message == WM_KEYDOWN && preview(message)) continue;
    if (IsDialogMessageW(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (owner) {
    EnableWindow(owner, TRUE);
    SetForegroundWindow(owner);
  }
}
