// IPageHost: what a page's controller asks of the main window that holds its
// page: the owner of its menus, its questions, the card on screen, navigation
// and the scan, a call each time one of its cards is shown, and the steps of a
// restart after a driver change (IRebootHost).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ui/driver_reboot.h"
#include "ui/shell_navigation.h"

class IPageHost : public IRebootHost {
 public:
  virtual HWND Owner() const = 0;
  virtual TShellCard ShownCard() const = 0;
  virtual void ExecuteNavigation(TShellAction action) = 0;
  // Shows a card that no navigation item shows (a run's progress card).
  virtual void ShowCard(TShellCard card) = 0;
  // Both navigation lists take clicks, or none does (while a backup runs).
  virtual void EnableNavigation(bool enabled) = 0;
  // Starts or stops a scan, as the scan button does (aclStartScan).
  virtual void ExecuteStartScan() = 0;
  // A scan task is running.
  virtual bool ScanRunning() const = 0;
  // `shown` runs each time `card` becomes the card on screen.
  virtual void OnCardShown(TShellCard card, std::function<void()> shown) = 0;
};
