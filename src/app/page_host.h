// IPageHost: what a page's controller asks of the main window that holds its
// page: the owner of its menus, its questions, the card on screen, navigation
// and the scan, and a call each time one of its cards is shown.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ui/shell_navigation.h"

class IPageHost {
 public:
  virtual ~IPageHost() = default;
  virtual HWND Owner() const = 0;
  // A message box of the program over the main window; the button pressed.
  virtual int Ask(const std::string& title, const std::string& text, int kind) = 0;
  virtual TShellCard ShownCard() const = 0;
  virtual void ExecuteNavigation(TShellAction action) = 0;
  // Starts or stops a scan, as the scan button does (aclStartScan).
  virtual void ExecuteStartScan() = 0;
  // `shown` runs each time `card` becomes the card on screen.
  virtual void OnCardShown(TShellCard card, std::function<void()> shown) = 0;
};
