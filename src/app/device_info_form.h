// TDeviceInfoForm: the modal device details window. A 26-pixel title bar, the class icon,
// class, name, hardware id (right-click: Copy, Show All) and problem text, the painted
// driver grid (installed beside offered driver), the information text and the Update or
// Close button. Keys reach the window before its controls: Ctrl+C copies the id, Esc closes.
#pragma once

#include <optional>
#include <string>

#include "platform/image_lists.h"
#include "ui/device_details.h"
#include "ui/win32/controls.h"
#include "ui/win32/gdi.h"
#include "ui/win32/window.h"

inline constexpr const wchar_t* QV_DEVICE_INFO_CLASS = L"TDeviceInfoForm";

// Control identifiers of the window, also used by the window tests.
enum TDeviceInfoControlId : int {
  idDetailsClass = 300,
  idDetailsName = 301,
  idDetailsHardwareId = 302,
  idDetailsStatus = 303,
  idDetailsInfo = 304,
  idDetailsButton = 305,
  idDetailsMenuCopy = 310,
  idDetailsMenuShowAll = 311,
};

class TDeviceInfoForm : public TWindow {
 public:
  // view: what UpdateDevice made of the record; showAll: the "Show All" text.
  TDeviceInfoForm(TDeviceDetailsView view, std::string showAll, TImageListRef classImages, IStringTable& strings);
  // Shows the window centred on its owner; true when it closed with "yes" (Update).
  bool ShowModal(HWND owner);

 protected:
  void OnCreate() override;
  bool OnPaint(HDC dc) override;
  HBRUSH OnControlColor(HDC dc, HWND control) override;
  void OnCommand(int id, int code, HWND control) override;
  bool OnUndecodedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  bool OnClose() override;

 private:
  void MeasureGrid(HDC dc);
  RECT GridRect() const;
  void CopyHardwareId() const;
  void ShowIdMenu(POINT screen);

  TDeviceDetailsView m_view;
  std::string m_showAll;
  TImageListRef m_classImages;
  IStringTable& m_strings;
  TDetailsGrid m_grid;
  int m_gridTop = 0;
  TFont m_textFont, m_classFont, m_nameFont, m_gridFont, m_gridBoldFont;
  TBrush m_white;
  TToolTips m_tips;
  TStyledButton m_button;
  HWND m_status = nullptr;
  HWND m_info = nullptr;
  HWND m_hid = nullptr;
  bool m_closed = false;
  bool m_yes = false;
};
