// TUpdatePage: the update progress card: title, information text, the device being
// handled, the file's bar with its percentage, the status line, an activity indicator and
// the Stop Update / Back button; the window's taskbar button shows the download too. It
// shows the view TUpdateProgress makes and reports the button's click.
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "ui/update_progress.h"
#include "ui/win32/busy_ring.h"
#include "ui/win32/controls.h"
#include "ui/win32/page.h"
#include "ui/win32/taskbar_progress.h"

// Control identifiers of the page, also used by the window tests.
enum TUpdatePageControlId : int {
  idUpdatePage = 230,
  idUpdateProgressTitle = 231,
  idUpdateProgressInfo = 232,
  idUpdateDeviceName = 233,
  idUpdateProgressBar = 234,
  idProgressCount = 235,
  idUpdateStatusLabel = 236,
  idUpdateActivity = 237,
  idStopUpdateButton = 238,
};

class TUpdatePage : public TPage {
 public:
  inline static const wchar_t* const CLASS_NAME = L"QvUpdatePage";

  // taskbarOwner: the top-level window whose taskbar button shows the progress.
  bool Create(HWND card, const TLayoutRect& rect, HWND taskbarOwner, std::function<void(TStopUpdateRole)> stopClicked);
  void Apply(const TUpdateProgressView& view);

 protected:
  void OnSize(int, int) override { Layout(); }
  void OnCommand(int id, int code, HWND control) override;
  void OnDpiChanged(int, const RECT*) override;
  COLORREF TextColor(HWND control) const override;

 private:
  void MakeFonts();
  void Layout();
  void ApplyTaskbar(const TUpdateProgressView& view);

  HWND m_title = nullptr, m_info = nullptr, m_device = nullptr, m_bar = nullptr, m_percent = nullptr;
  HWND m_status = nullptr;
  TBusyRing m_activity;
  TStyledButton m_stop;
  TToolTips m_tips;
  TFont m_titleFont, m_textFont, m_boldFont;
  std::unique_ptr<TTaskbarProgress> m_taskbar;
  std::function<void(TStopUpdateRole)> m_stopClicked;
  std::optional<TUpdateProgressView> m_shown;
};
