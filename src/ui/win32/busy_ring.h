// TBusyRing: the busy indicator of the overview and the update page, a ring of dots
// whose leading dot and fading tail go round while it runs and which is all grey at rest.
#pragma once

#include "ui/win32/window.h"

class TBusyRing : public TWindow {
 public:
  bool Create(HWND parent, int id, const TLayoutRect& rect);
  void SetRunning(bool running);
  bool Running() const { return m_running; }

 protected:
  bool OnPaint(HDC dc) override;
  void OnTimer(UINT_PTR id) override;

 private:
  bool m_running = false;
  int m_step = 0;
};
