#include "app/backup_progress_page.h"

#include <commctrl.h>

#include "platform/win32/win32_text.h"

bool TBackupProgressPage::Create(HWND card, const TLayoutRect& rect, std::function<void()> stop) {
  m_onStop = std::move(stop);
  if (!CreatePage(CLASS_NAME, card, rect, idBackupProgressPage)) return false;
  MakeFonts();
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  m_title = CreateLabel(Handle(), idBackupProgressTitle, "", {0, 0, 1, 1}, m_titleFont.Get());
  m_info = CreateWindowExW(0, WC_STATICW, L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 1, 1, Handle(),
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(idBackupProgressInfo)), instance, nullptr);
  SendMessageW(m_info, WM_SETFONT, reinterpret_cast<WPARAM>(m_textFont.Get()), FALSE);
  m_device = CreateLabel(Handle(), idBackupDeviceName, "", {0, 0, 1, 1}, m_textFont.Get());
  m_bar = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD, 0, 0, 1, 1, Handle(),
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(idBackupProgressBar)), instance, nullptr);
  m_stop.Create(Handle(), idStopBackupButton, "", {0, 0, Scale(125), Scale(40)});
  m_stop.SetFont(m_buttonFont.Get());
  Layout();
  return true;
}

void TBackupProgressPage::MakeFonts() {
  // The page's long title fits the card's width in a size smaller than the other pages' titles.
  m_titleFont = MakeFont(L"Segoe UI Semibold", Scale(20), true);
  m_textFont = MakeFont(L"Segoe UI", Scale(12));
  m_buttonFont = MakeFont(L"Segoe UI", Scale(16), true);
}

void TBackupProgressPage::Apply(const TBackupProgressView& view) {
  const TBackupProgressView* shown = m_shown ? &*m_shown : nullptr;
  if (!shown || shown->title != view.title) SetWindowTextW(m_title, Utf8ToWide(view.title).c_str());
  if (!shown || shown->info != view.info) SetWindowTextW(m_info, Utf8ToWide(view.info).c_str());
  if (!shown || shown->deviceText != view.deviceText) SetWindowTextW(m_device, Utf8ToWide(view.deviceText).c_str());
  if (!shown || shown->barMax != view.barMax) SendMessageW(m_bar, PBM_SETRANGE32, 0, view.barMax);
  if (!shown || shown->barPosition != view.barPosition) SendMessageW(m_bar, PBM_SETPOS, view.barPosition, 0);
  if (!shown || shown->barShown != view.barShown) ShowWindow(m_bar, view.barShown ? SW_SHOWNA : SW_HIDE);
  if (!shown || shown->stopCaption != view.stopCaption) {
    SetWindowTextW(m_stop.Handle(), Utf8ToWide(view.stopCaption).c_str());
    FitControlWidth(m_stop.Handle(), QV_DESIGN_DPI);
    Layout();
  }
  if (!shown || shown->stopEnabled != view.stopEnabled) SetButtonEnabled(m_stop, view.stopEnabled);
  m_shown = view;
  UpdateWindow(Handle());
}

void TBackupProgressPage::OnCommand(int id, int code, HWND) {
  if (id == idStopBackupButton && code == BN_CLICKED && m_onStop) m_onStop();
}

void TBackupProgressPage::Layout() {
  RECT client{};
  GetClientRect(Handle(), &client);
  const int margin = Scale(20);
  const int width = client.right - 2 * margin;
  PlaceWindow(m_title, margin, Scale(15), width, Scale(36));
  PlaceWindow(m_info, margin, Scale(60), width, Scale(70));
  PlaceWindow(m_device, margin, Scale(150), width, Scale(22));
  PlaceWindow(m_bar, margin, Scale(180), width, Scale(22));
  RECT button{};
  GetWindowRect(m_stop.Handle(), &button);
  const int buttonWidth = button.right - button.left;
  PlaceWindow(m_stop.Handle(), client.right - margin - buttonWidth, client.bottom - Scale(20) - Scale(40), buttonWidth,
              Scale(40));
}

void TBackupProgressPage::OnSize(int, int) { Layout(); }

void TBackupProgressPage::OnDpiChanged(int, const RECT*) {
  MakeFonts();
  SendMessageW(m_title, WM_SETFONT, reinterpret_cast<WPARAM>(m_titleFont.Get()), FALSE);
  SendMessageW(m_info, WM_SETFONT, reinterpret_cast<WPARAM>(m_textFont.Get()), FALSE);
  SendMessageW(m_device, WM_SETFONT, reinterpret_cast<WPARAM>(m_textFont.Get()), FALSE);
  m_stop.SetFont(m_buttonFont.Get());
  Layout();
}
