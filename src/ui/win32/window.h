// TWindow: a window object bound to its HWND in WM_NCCREATE. The window
// procedure decodes each message once into a typed event, and no exception
// ever leaves it. The object owns its window: destroying the object destroys
// the window, and a window destroyed first leaves the object with no handle.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "ui/shell_layout.h"

// A mouse position in the window's client coordinates.
struct TMousePoint {
  int x;
  int y;
};

// Moves a window (a child within its parent) to a rectangle, keeping its z-order and activation.
void PlaceWindow(HWND hwnd, int left, int top, int width, int height);
inline void PlaceWindow(HWND hwnd, const TLayoutRect& rect) {
  PlaceWindow(hwnd, rect.left, rect.top, rect.Width(), rect.Height());
}
inline void PlaceWindow(HWND hwnd, const RECT& rect) {
  PlaceWindow(hwnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

class TWindow {
 public:
  TWindow() = default;
  TWindow(const TWindow&) = delete;
  TWindow& operator=(const TWindow&) = delete;
  virtual ~TWindow();

  HWND Handle() const { return m_hwnd; }
  // The window's DPI (its own, or QUORVANE_DPI when that is set).
  int Dpi() const { return m_dpi; }
  // A logical length at the window's DPI.
  int Scale(int logical) const { return ScaleLogical(logical, m_dpi); }
  // Moves the window (a child within its parent) to a rectangle.
  void Place(const TLayoutRect& rect) const;
  void SetText(const std::string& text) const;
  void Show(bool visible) const;

  // The object bound to a window of this program; null for any other window.
  static TWindow* FromHandle(HWND hwnd);

 protected:
  struct TClassStyle {
    UINT style = CS_DBLCLKS;
    HBRUSH background = nullptr;  // null: the window paints all of itself
    HICON icon = nullptr;
    HICON smallIcon = nullptr;
    HCURSOR cursor = nullptr;  // null: the arrow
  };
  // Registers the class on first use and creates the window bound to this object.
  bool Create(const wchar_t* className, const TClassStyle& classStyle, DWORD style, DWORD exStyle,
              const std::wstring& title, const TLayoutRect& rect, HWND parent, int controlId = 0);

  // Typed events. Each returns whether it handled the message, where the
  // system's default handling would otherwise follow.
  virtual void OnCreate() {}
  virtual bool OnPaint(HDC) { return false; }
  virtual bool OnEraseBackground(HDC) { return false; }
  virtual void OnSize(int, int) {}
  virtual void OnCommand(int /*id*/, int /*code*/, HWND /*control*/) {}
  virtual void OnMouseMove(TMousePoint) {}
  virtual void OnMouseLeave() {}
  virtual bool OnLeftButtonDown(TMousePoint) { return false; }
  virtual bool OnLeftButtonUp(TMousePoint) { return false; }
  virtual void OnTimer(UINT_PTR) {}
  virtual void OnDpiChanged(int /*dpi*/, const RECT* /*suggested*/) {}
  // A static or button child asks for its colours; a brush when handled.
  virtual HBRUSH OnControlColor(HDC, HWND) { return nullptr; }
  // An owner-drawn child is to be drawn.
  virtual bool OnDrawItem(const DRAWITEMSTRUCT&) { return false; }
  // A child's notification (WM_NOTIFY), e.g. a link's click.
  virtual bool OnNotify(const NMHDR&) { return false; }
  // WM_CLOSE: true lets the window be destroyed.
  virtual bool OnClose() { return true; }
  virtual void OnDestroy() {}
  // A message of the program's own (WM_USER and up, WM_APP and up), with no parameters.
  virtual bool OnUserMessage(UINT) { return false; }
  // A message the base does not decode, for the widget layer's own controls
  // (the tray icon's callback, registered messages); pages do not use it.
  virtual bool OnUndecodedMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }
  // WM_SHOWWINDOW and WM_ACTIVATE, decoded.
  virtual void OnShow(bool) {}
  virtual void OnActivate(bool) {}

  // Keeps the mouse-leave notification coming while the pointer is inside.
  void TrackMouseLeave();
  // The DPI a window created now, before it exists, would have.
  static int StartupDpi();

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  HWND m_hwnd = nullptr;
  int m_dpi = QV_DESIGN_DPI;
  bool m_trackingLeave = false;
};
