#include "ui/win32/window.h"

#include <windowsx.h>

#include <exception>

#include "platform/win32/win32_text.h"
#include "ui/win32/dpi.h"
#include "ui/win32/controls.h"
#include "ui/win32/gdi.h"
#include "ui/win32/temp_cursor.h"

#ifndef WM_DPICHANGED_AFTERPARENT
#define WM_DPICHANGED_AFTERPARENT 0x02E3
#endif

namespace {

void ReportEscapedException(const char* what) {
  std::string text = std::string("Quorvane: unhandled error in a window: ") + what + "\n";
  OutputDebugStringA(text.c_str());
}

RECT ClientRect(HWND hwnd) {
  RECT rect{};
  GetClientRect(hwnd, &rect);
  return rect;
}

// Paints through an off-screen bitmap, so a window never flickers.
class TBufferedPaint {
 public:
  TBufferedPaint(HWND hwnd, HDC target)
      : m_target(target),
        m_rect(ClientRect(hwnd)),
        m_dc(CreateCompatibleDC(target)),
        m_bitmap(CreateCompatibleBitmap(target, m_rect.right > 0 ? m_rect.right : 1,
                                        m_rect.bottom > 0 ? m_rect.bottom : 1)),
        m_select(m_dc.Get(), m_bitmap.Get()) {
    // Start from the class background (white when there is none).
    HBRUSH background = reinterpret_cast<HBRUSH>(GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND));
    if (background) {
      FillRect(m_dc.Get(), &m_rect, background);
    } else {
      FillSolid(m_dc.Get(), m_rect, QV_COLOR_WHITE);
    }
  }
  ~TBufferedPaint() { BitBlt(m_target, 0, 0, m_rect.right, m_rect.bottom, m_dc.Get(), 0, 0, SRCCOPY); }
  TBufferedPaint(const TBufferedPaint&) = delete;
  TBufferedPaint& operator=(const TBufferedPaint&) = delete;
  HDC Dc() const { return m_dc.Get(); }

 private:
  HDC m_target;
  RECT m_rect;
  TMemoryDC m_dc;
  TBitmap m_bitmap;
  TSelectObject m_select;  // the bitmap is selected out before it and the context go
};

}  // namespace

TWindow::~TWindow() {
  if (m_hwnd) {
    // The derived object is gone already: unbind first, so destroying the
    // window calls nothing of it.
    HWND hwnd = m_hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    m_hwnd = nullptr;
    DestroyWindow(hwnd);
  }
}

TWindow* TWindow::FromHandle(HWND hwnd) {
  if (!hwnd || reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)) != &TWindow::WindowProc) {
    return nullptr;
  }
  return reinterpret_cast<TWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

bool TWindow::Create(const wchar_t* className, const TClassStyle& classStyle, DWORD style, DWORD exStyle,
                     const std::wstring& title, const TLayoutRect& rect, HWND parent, int controlId) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (!GetClassInfoExW(instance, className, &existing)) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = classStyle.style;
    windowClass.lpfnWndProc = &TWindow::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = classStyle.icon;
    windowClass.hIconSm = classStyle.smallIcon;
    windowClass.hCursor = classStyle.cursor ? classStyle.cursor : LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = classStyle.background;
    windowClass.lpszClassName = className;
    if (!RegisterClassExW(&windowClass)) return false;
  }
  HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)) : nullptr;
  CreateWindowExW(exStyle, className, title.c_str(), style, rect.left, rect.top, rect.Width(), rect.Height(),
                  parent, menu, instance, this);
  return m_hwnd != nullptr;
}

LRESULT CALLBACK TWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  TWindow* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<TWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->m_hwnd = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->m_dpi = WindowDpi(hwnd);
  } else {
    self = reinterpret_cast<TWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);

  LRESULT result = 0;
  try {
    result = self->Dispatch(message, wParam, lParam);
  } catch (const std::exception& error) {
    ReportEscapedException(error.what());
    result = message == WM_CREATE ? -1 : 0;
  } catch (...) {
    ReportEscapedException("unknown");
    result = message == WM_CREATE ? -1 : 0;
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->m_hwnd = nullptr;
  }
  return result;
}

LRESULT TWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND hwnd = m_hwnd;
  // A held busy cursor wins over the window's own and its children's cursors.
  if (message == WM_SETCURSOR && LOWORD(lParam) == HTCLIENT) {
    if (HCURSOR held = HeldTempCursor()) {
      SetCursor(held);
      return TRUE;
    }
  }
  switch (message) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_PAINT: {
      TPaintDC paint(hwnd);
      TBufferedPaint buffer(hwnd, paint.Get());
      OnPaint(buffer.Dc());
      return 0;
    }
    case WM_ERASEBKGND:
      if (OnEraseBackground(reinterpret_cast<HDC>(wParam))) return 1;
      break;
    case WM_SIZE:
      OnSize(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_MOUSELEAVE:
      m_trackingLeave = false;
      OnMouseLeave();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (OnLeftButtonDown({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) return 0;
      break;
    case WM_LBUTTONUP:
      if (OnLeftButtonUp({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) return 0;
      break;
    case WM_TIMER:
      OnTimer(wParam);
      return 0;
    case WM_DPICHANGED: {
      if (!DpiOverride()) m_dpi = HIWORD(wParam);
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      OnDpiChanged(m_dpi, suggested);
      return 0;
    }
    case WM_DPICHANGED_AFTERPARENT:
      m_dpi = WindowDpi(hwnd);
      OnDpiChanged(m_dpi, nullptr);
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (HBRUSH brush = OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam))) {
        return reinterpret_cast<LRESULT>(brush);
      }
      break;
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      // A menu item's hwndItem is a menu, not a window.
      auto* control = item.CtlType == ODT_MENU
                          ? nullptr
                          : static_cast<IOwnerDrawn*>(GetPropW(item.hwndItem, QV_OWNER_DRAWN_PROPERTY));
      if (control) {
        control->Draw(item);
        return TRUE;
      }
    }
      if (OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
      break;
    case WM_NOTIFY:
      if (OnNotify(*reinterpret_cast<const NMHDR*>(lParam))) return 0;
      break;
    case WM_CLOSE:
      if (OnClose()) DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_SHOWWINDOW:
      OnShow(wParam != 0);
      break;
    case WM_ACTIVATE:
      OnActivate(LOWORD(wParam) != WA_INACTIVE);
      break;
    default: {
      LRESULT result = 0;
      if (OnUndecodedMessage(message, wParam, lParam, result)) return result;
      if (message >= WM_USER && message < 0xC000 && OnUserMessage(message)) return 0;
      break;
    }
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void PlaceWindow(HWND hwnd, int left, int top, int width, int height) {
  SetWindowPos(hwnd, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWindow::Place(const TLayoutRect& rect) const {
  if (m_hwnd) PlaceWindow(m_hwnd, rect);
}

void TWindow::SetText(const std::string& text) const {
  if (m_hwnd) SetWindowTextW(m_hwnd, Utf8ToWide(text).c_str());
}

void TWindow::Show(bool visible) const {
  if (m_hwnd) ShowWindow(m_hwnd, visible ? SW_SHOW : SW_HIDE);
}

void TWindow::TrackMouseLeave() {
  if (m_trackingLeave || !m_hwnd) return;
  TRACKMOUSEEVENT track{};
  track.cbSize = sizeof(track);
  track.dwFlags = TME_LEAVE;
  track.hwndTrack = m_hwnd;
  m_trackingLeave = TrackMouseEvent(&track) != FALSE;
}

int TWindow::StartupDpi() { return SystemDpi(); }
