// TBackupProgressPage: the backup progress card's contents. The title and
// explanation, the device being backed up, the bar (one step a device) and the
// stop button, which becomes "OK" when the run has ended.
#pragma once

#include <functional>
#include <optional>

#include "ui/backup_presenter.h"
#include "ui/win32/controls.h"
#include "ui/win32/page.h"

// Control identifiers of the page, also used by the window tests.
enum TBackupProgressControlId : int {
  idBackupProgressPage = 310,
  idBackupProgressTitle = 311,
  idBackupProgressInfo = 312,
  idBackupDeviceName = 313,
  idBackupProgressBar = 314,
  idStopBackupButton = 315,
};

class TBackupProgressPage : public TPage {
 public:
  inline static const wchar_t* const CLASS_NAME = L"QvBackupProgressPage";

  // `stop`: the stop button (aclStopBackup), whichever caption it shows.
  bool Create(HWND card, const TLayoutRect& rect, std::function<void()> stop);
  // Shows the view; only what differs from the view shown before is touched.
  void Apply(const TBackupProgressView& view);

 protected:
  void OnCommand(int id, int code, HWND control) override;
  void OnSize(int width, int height) override;
  void OnDpiChanged(int, const RECT*) override;

 private:
  void MakeFonts();
  void Layout();

  HWND m_title = nullptr;
  HWND m_info = nullptr;
  HWND m_device = nullptr;
  HWND m_bar = nullptr;
  TStyledButton m_stop;
  TFont m_titleFont, m_textFont, m_buttonFont;
  std::function<void()> m_onStop;
  std::optional<TBackupProgressView> m_shown;
};
