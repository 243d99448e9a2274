#include "ui/win32/tray_icon.h"

#include <shellapi.h>

#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"
#include "ui/win32/private_messages.h"

namespace {

constexpr UINT QV_TRAY_ID = 1;

void CopyText(wchar_t* target, size_t capacity, const std::wstring& text) {
  lstrcpynW(target, text.c_str(), static_cast<int>(capacity));
}

}  // namespace

TTrayIcon::~TTrayIcon() {
  if (m_visible) Notify(NIM_DELETE, 0);
}

bool TTrayIcon::Create(HICON icon) {
  m_icon = icon;
  m_taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
  if (!TWindow::Create(L"QvTrayWindow", {}, WS_POPUP, WS_EX_TOOLWINDOW, L"", {0, 0, 0, 0}, nullptr)) return false;
  // Explorer runs unelevated: its broadcast must be let through to this elevated window.
  ChangeWindowMessageFilterEx(Handle(), m_taskbarCreated, MSGFLT_ALLOW, nullptr);
  return true;
}

bool TTrayIcon::Notify(DWORD action, UINT flags) {
  if (!Handle()) return false;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = Handle();
  data.uID = QV_TRAY_ID;
  data.uFlags = flags;
  data.uCallbackMessage = QV_TRAY_CALLBACK;
  data.hIcon = m_icon;
  CopyText(data.szTip, ARRAYSIZE(data.szTip), m_hint);
  if (flags & NIF_INFO) {
    CopyText(data.szInfoTitle, ARRAYSIZE(data.szInfoTitle), m_balloonTitle);
    CopyText(data.szInfo, ARRAYSIZE(data.szInfo), m_balloonText);
    data.dwInfoFlags = NIIF_INFO;
  }
  return Shell_NotifyIconW(action, &data) != FALSE;
}

void TTrayIcon::SetHint(const std::string& hint) {
  m_hint = Utf8ToWide(hint);
  if (m_visible) Notify(NIM_MODIFY, NIF_TIP);
}

void TTrayIcon::SetBalloon(const std::string& title, const std::string& text) {
  m_balloonTitle = Utf8ToWide(title);
  m_balloonText = Utf8ToWide(text);
}

void TTrayIcon::SetVisible(bool visible) {
  if (visible == m_visible) return;
  if (visible) {
    m_visible = Notify(NIM_ADD, NIF_MESSAGE | NIF_ICON | NIF_TIP);
  } else {
    Notify(NIM_DELETE, 0);
    m_visible = false;
  }
}

void TTrayIcon::ShowBalloon() {
  if (m_visible) Notify(NIM_MODIFY, NIF_INFO);
}

void TTrayIcon::ShowMenu() {
  TMenu menu(CreatePopupMenu());
  if (!menu) return;
  for (const auto& item : m_menu) {
    if (item.command == 0) {
      AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuW(menu.Get(), MF_STRING, static_cast<UINT_PTR>(item.command), Utf8ToWide(item.caption).c_str());
    }
  }
  POINT at{};
  GetCursorPos(&at);
  // The owner must be in front, or the menu does not close when clicked away.
  SetForegroundWindow(Handle());
  TrackPopupMenu(menu.Get(), TPM_RIGHTBUTTON, at.x, at.y, 0, Handle(), nullptr);
  PostMessageW(Handle(), WM_NULL, 0, 0);
}

void TTrayIcon::OnCommand(int id, int, HWND) {
  if (m_onCommand) m_onCommand(id);
}

bool TTrayIcon::OnUndecodedMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
  result = 0;
  if (message == QV_TRAY_CALLBACK) {
    switch (LOWORD(lParam)) {
      case WM_LBUTTONDBLCLK:
        if (m_onDoubleClick) m_onDoubleClick();
        break;
      case WM_RBUTTONUP:
      case WM_CONTEXTMENU:
        ShowMenu();
        break;
      default:
        break;
    }
    return true;
  }
  if (m_taskbarCreated != 0 && message == m_taskbarCreated) {
    // Explorer restarted: the icon is gone from its new taskbar.
    if (m_visible) m_visible = Notify(NIM_ADD, NIF_MESSAGE | NIF_ICON | NIF_TIP);
    return true;
  }
  return false;
}
