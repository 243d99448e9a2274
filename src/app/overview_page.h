// TOverviewPage: the overview card's contents. A ring-shaped busy indicator,
// the scan button, the last-scan line, the status lines and the scanning label,
// and the four system facts. What it shows is decided by TScanOverview.
#pragma once

#include <functional>
#include <string>

#include "ui/scan_overview.h"
#include "ui/win32/busy_ring.h"
#include "ui/win32/controls.h"
#include "ui/win32/gdi.h"
#include "ui/win32/page.h"
#include "ui/win32/window.h"

// Control identifiers of the page, also used by the window tests.
enum TOverviewControlId : int {
  idOverviewPage = 150,
  idScanButton = 151,
  idLastScanLabel = 152,
  idLastScanValue = 153,
  idStatusTitle = 154,
  idStatusText = 155,
  idScanningLabel = 156,
  idOverviewRing = 157,
  idFirstFactLabel = 160,  // label and value pairs: 160/161, 162/163, ...
};

struct TSystemFacts {
  std::string manufacturer, model, processor, windows;
};

class TOverviewPage : public TPage {
 public:
  inline static const wchar_t* const CLASS_NAME = L"QvOverviewPage";

  bool Create(HWND card, const TLayoutRect& rect);
  void OnScanClick(std::function<void()> handler) { m_onScan = std::move(handler); }
  void Apply(const TOverviewState& state);
  void SetLastScan(const std::string& value);
  // The fixed texts: "Last scan:" and the four facts' names.
  void SetLabels(const std::string& lastScan, const TSystemFacts& factNames);
  void SetFacts(const TSystemFacts& facts);

 protected:
  void OnSize(int width, int height) override;
  void OnCommand(int id, int code, HWND control) override;
  COLORREF TextColor(HWND control) const override;
  void OnDpiChanged(int, const RECT*) override;

 private:
  void MakeFonts();
  void Layout();
  void PlaceLastScan();
  RECT IndicatorRect() const;

  TStyledButton m_scanButton;
  HWND m_lastScanLabel = nullptr;
  HWND m_lastScanValue = nullptr;
  HWND m_statusTitle = nullptr;
  HWND m_statusText = nullptr;
  HWND m_scanningLabel = nullptr;
  HWND m_facts[8] = {};
  TFont m_buttonFont, m_titleFont, m_textFont, m_boldFont, m_factFont, m_factValueFont;
  std::function<void()> m_onScan;
  TBusyRing m_ring;
};
