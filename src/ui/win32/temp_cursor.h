// TTempCursor: a scoped cursor (the hourglass while the program is busy). Every
// window of the program shows it over its client area while it is held, since
// each window sets its cursor again on WM_SETCURSOR. Use on the UI thread.
#pragma once

#include <windows.h>

#include <memory>

class TTempCursor {
 public:
  explicit TTempCursor(HCURSOR ACursor);
  ~TTempCursor();
  TTempCursor(const TTempCursor&) = delete;
  TTempCursor& operator=(const TTempCursor&) = delete;
  HCURSOR Cursor() const { return m_held; }

 private:
  HCURSOR FCursor;  // the cursor shown before, shown again at release
  HCURSOR m_held;
};

// Shows ACursor (the hourglass when null) until the returned object is released.
std::unique_ptr<TTempCursor> SetTempCursor(HCURSOR ACursor = nullptr);

// The cursor of the most recent TTempCursor still held; null when none is.
HCURSOR HeldTempCursor();
