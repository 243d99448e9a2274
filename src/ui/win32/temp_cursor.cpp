#include "ui/win32/temp_cursor.h"

#include <algorithm>
#include <vector>

namespace {

// The cursors held, oldest first; the last one is shown. One released out of
// order leaves the later ones in force.
std::vector<const TTempCursor*>& Holders() {
  static std::vector<const TTempCursor*> holders;
  return holders;
}

// Lets the window under the pointer set its cursor again, as a mouse move would.
void RefreshCursor() {
  POINT point{};
  if (!GetCursorPos(&point)) return;
  HWND window = WindowFromPoint(point);
  if (!window || GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) return;
  const LRESULT hit = SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
  SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(hit, WM_MOUSEMOVE));
}

}  // namespace

TTempCursor::TTempCursor(HCURSOR ACursor) : FCursor(GetCursor()), m_held(ACursor) {
  Holders().push_back(this);
  SetCursor(ACursor);
}

TTempCursor::~TTempCursor() {
  auto& holders = Holders();
  auto it = std::find(holders.begin(), holders.end(), this);
  if (it == holders.end()) return;
  const bool shown = it + 1 == holders.end();
  holders.erase(it);
  if (!shown) return;  // a later holder's cursor stays
  if (!holders.empty()) {
    SetCursor(holders.back()->Cursor());
    return;
  }
  SetCursor(FCursor);
  RefreshCursor();
}

std::unique_ptr<TTempCursor> SetTempCursor(HCURSOR ACursor) {
  return std::make_unique<TTempCursor>(ACursor ? ACursor : LoadCursorW(nullptr, IDC_WAIT));
}

HCURSOR HeldTempCursor() { return Holders().empty() ? nullptr : Holders().back()->Cursor(); }
