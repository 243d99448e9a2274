// TSplashScreenForm: the 500 × 250 start picture with the program's features,
// its version and the legal notice. FCompleted says whether the start may go
// on: true when created, false when first shown, true again 3 s later.
#pragma once

#include <string>

#include "platform/module_version.h"
#include "platform/string_table.h"
#include "ui/win32/gdi.h"
#include "ui/win32/window.h"

class TSplashScreenForm : public TWindow {
 public:
  TSplashScreenForm(IStringTable& strings, IModuleVersion& moduleVersion, HICON mark);
  // FormCreate: creates the window hidden, centred on the primary monitor.
  bool Create();
  bool Completed() const { return FCompleted; }

 protected:
  void OnCreate() override;
  bool OnPaint(HDC dc) override;
  bool OnEraseBackground(HDC) override { return true; }
  void OnShow(bool visible) override;
  void OnTimer(UINT_PTR id) override;
  void OnDestroy() override;

 private:
  IStringTable& m_strings;
  IModuleVersion& m_moduleVersion;
  HICON m_mark;  // borrowed: the caller keeps it until the splash is gone
  std::wstring m_lines[5];
  std::wstring m_version;
  std::wstring m_notice;
  bool FCompleted = false;
  bool m_showHandled = false;  // the show handler runs for the first showing only
  UINT_PTR m_showTimer = 0;
};
