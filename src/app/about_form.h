// TAboutForm: the modal about window: logo panel, version, description, legal
// notice and three links to the vendor's pages. Escape closes it.
#pragma once

#include <string>

#include "platform/system_ports.h"
#include "ui/win32/controls.h"
#include "ui/win32/gdi.h"
#include "ui/win32/window.h"

inline constexpr const wchar_t* QV_ABOUT_CLASS = L"TAboutForm";

class TAboutForm : public TWindow {
 public:
  TAboutForm(TSystemPorts ports, HBITMAP logo);
  // Shows the window centred on its owner and returns when it has been closed.
  void ShowModal(HWND owner);

 protected:
  void OnCreate() override;
  bool OnPaint(HDC dc) override;
  HBRUSH OnControlColor(HDC dc, HWND control) override;
  bool OnNotify(const NMHDR& header) override;
  void OnDestroy() override;

 private:
  std::string Text(int id) const { return m_ports.strings.Load(id); }

  TSystemPorts m_ports;
  HBITMAP m_logo;  // the main window's, borrowed
  TFont m_textFont;
  TFont m_linkFont;
  TBrush m_white;
  TToolTips m_tips;
  bool m_closed = false;
};
