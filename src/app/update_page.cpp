#include "app/update_page.h"

#include <commctrl.h>

#include <utility>

#include "platform/win32/win32_text.h"

namespace {

constexpr COLORREF QV_INFO_COLOR = HexColor(0x003366);
constexpr int QV_BUTTON_WIDTH = 125;
constexpr int QV_BUTTON_HEIGHT = 40;

void SetControlText(HWND control, const std::string& text) { SetWindowTextW(control, Utf8ToWide(text).c_str()); }

void ShowControl(HWND control, bool shown) { ShowWindow(control, shown ? SW_SHOWNA : SW_HIDE); }

HWND CreateChild(HWND parent, const wchar_t* className, DWORD style, int id) {
  return CreateWindowExW(0, className, L"", WS_CHILD | style, 0, 0, 1, 1, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

bool TUpdatePage::Create(HWND card, const TLayoutRect& rect, HWND taskbarOwner,
                         std::function<void(TStopUpdateRole)> stopClicked) {
  m_stopClicked = std::move(stopClicked);
  if (!CreatePage(CLASS_NAME, card, rect, idUpdatePage)) return false;
  MakeFonts();
  m_tips.Create(taskbarOwner);
  m_title = CreateLabel(Handle(), idUpdateProgressTitle, "", {0, 0, 1, 1}, m_titleFont.Get());
  m_info = CreateChild(Handle(), L"STATIC", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, idUpdateProgressInfo);
  m_device = CreateLabel(Handle(), idUpdateDeviceName, "", {0, 0, 1, 1}, m_boldFont.Get());
  m_bar = CreateChild(Handle(), PROGRESS_CLASSW, PBS_SMOOTH, idUpdateProgressBar);
  m_percent = CreateLabel(Handle(), idProgressCount, "0%", {0, 0, 1, 1}, m_textFont.Get());
  ShowControl(m_percent, false);
  m_status = CreateLabel(Handle(), idUpdateStatusLabel, "", {0, 0, 1, 1}, m_textFont.Get());
  m_activity.Create(Handle(), idUpdateActivity, {0, 0, 1, 1});
  m_activity.Show(false);
  SendMessageW(m_info, WM_SETFONT, reinterpret_cast<WPARAM>(m_textFont.Get()), FALSE);
  m_stop.Create(Handle(), idStopUpdateButton, "", {0, 0, Scale(QV_BUTTON_WIDTH), Scale(QV_BUTTON_HEIGHT)});
  m_stop.SetFont(m_boldFont.Get());
  SetButtonEnabled(m_stop, true);
  m_taskbar = std::make_unique<TTaskbarProgress>(taskbarOwner);
  Layout();
  return true;
}

void TUpdatePage::MakeFonts() {
  m_titleFont = MakeFont(L"Segoe UI Semibold", Scale(21), true);
  m_textFont = MakeFont(L"Segoe UI", Scale(14));
  m_boldFont = MakeFont(L"Segoe UI", Scale(14), true);
}

void TUpdatePage::Layout() {
  RECT client{};
  GetClientRect(Handle(), &client);
  const int margin = Scale(15);
  const int width = client.right - 2 * margin;
  PlaceWindow(m_title, margin, Scale(20), width, Scale(32));
  PlaceWindow(m_info, margin, Scale(70), width, Scale(44));
  PlaceWindow(m_device, margin, Scale(130), width, Scale(24));
  PlaceWindow(m_bar, margin, Scale(165), width - Scale(60), Scale(20));
  PlaceWindow(m_percent, client.right - margin - Scale(50), Scale(165), Scale(50), Scale(20));
  PlaceWindow(m_status, margin, Scale(200), width - Scale(40), Scale(24));
  PlaceWindow(m_activity.Handle(), client.right - margin - Scale(48), Scale(188), Scale(48), Scale(48));
  PlaceWindow(m_stop.Handle(), client.right - margin - Scale(QV_BUTTON_WIDTH),
              client.bottom - Scale(25) - Scale(QV_BUTTON_HEIGHT), Scale(QV_BUTTON_WIDTH), Scale(QV_BUTTON_HEIGHT));
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TUpdatePage::OnDpiChanged(int, const RECT*) {
  MakeFonts();
  SendMessageW(m_title, WM_SETFONT, reinterpret_cast<WPARAM>(m_titleFont.Get()), FALSE);
  for (HWND text : {m_info, m_percent, m_status})
    SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(m_textFont.Get()), FALSE);
  SendMessageW(m_device, WM_SETFONT, reinterpret_cast<WPARAM>(m_boldFont.Get()), FALSE);
  m_stop.SetFont(m_boldFont.Get());
  Layout();
}

COLORREF TUpdatePage::TextColor(HWND control) const {
  return control == m_info ? QV_INFO_COLOR : RGB(0, 0, 0);
}

void TUpdatePage::OnCommand(int id, int code, HWND) {
  if (id == idStopUpdateButton && code == BN_CLICKED && m_shown && m_stopClicked) m_stopClicked(m_shown->stopRole);
}

void TUpdatePage::Apply(const TUpdateProgressView& view) {
  const TUpdateProgressView* shown = m_shown ? &*m_shown : nullptr;
  if (!shown || shown->title != view.title) SetControlText(m_title, view.title);
  if (!shown || shown->info != view.info) SetControlText(m_info, view.info);
  if (!shown || shown->deviceName != view.deviceName) SetControlText(m_device, view.deviceName);
  if (!shown || shown->status != view.status) SetControlText(m_status, view.status);
  if (!shown || shown->barMaximum != view.barMaximum)
    SendMessageW(m_bar, PBM_SETRANGE32, 0, static_cast<LPARAM>(view.barMaximum > 0 ? view.barMaximum : 1));
  if (!shown || shown->barPosition != view.barPosition) SendMessageW(m_bar, PBM_SETPOS, static_cast<WPARAM>(view.barPosition), 0);
  if (!shown || shown->barShown != view.barShown) ShowControl(m_bar, view.barShown);
  if (!shown || shown->percentText != view.percentText) SetControlText(m_percent, view.percentText);
  if (!shown || shown->percentShown != view.percentShown) ShowControl(m_percent, view.percentShown);
  if (!shown || shown->activity != view.activity) {
    ShowControl(m_activity.Handle(), view.activity);
    m_activity.SetRunning(view.activity);
  }
  if (!shown || shown->stopCaption != view.stopCaption) SetControlText(m_stop.Handle(), view.stopCaption);
  if (!shown || shown->stopHint != view.stopHint) m_tips.Set(m_stop.Handle(), view.stopHint);
  if (!shown || shown->stopRole != view.stopRole) SetButtonEnabled(m_stop, true);
  ApplyTaskbar(view);
  m_shown = view;
}

void TUpdatePage::ApplyTaskbar(const TUpdateProgressView& view) {
  const TUpdateProgressView* shown = m_shown ? &*m_shown : nullptr;
  if (!shown || shown->taskbarState != view.taskbarState)
    m_taskbar->SetState(view.taskbarState == TTaskbarProgressState::normal ? TTaskbarState::normal : TTaskbarState::none);
  if (view.taskbarState == TTaskbarProgressState::normal &&
      (!shown || shown->taskbarValue != view.taskbarValue || shown->taskbarMaximum != view.taskbarMaximum))
    m_taskbar->SetValue(static_cast<uint64_t>(view.taskbarValue), static_cast<uint64_t>(view.taskbarMaximum));
}
