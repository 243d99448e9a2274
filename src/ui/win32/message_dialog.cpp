#include "ui/win32/message_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <array>

#include "core/message_box_kinds.h"
#include "platform/string_table.h"
#include "platform/win32/win32_text.h"
#include "ui/shell_layout.h"
#include "ui/win32/controls.h"
#include "ui/win32/dpi.h"
#include "ui/win32/gdi.h"
#include "ui/win32/window.h"

namespace {

// Logical sizes at 96 dpi.
constexpr int MARGIN = 16;
constexpr int ICON_SIZE = 32;
constexpr int ICON_GAP = 12;
constexpr int MAX_TEXT_WIDTH = 480;
constexpr int MIN_CLIENT_WIDTH = 280;
constexpr int TEXT_TO_BUTTONS = 20;
constexpr int BUTTON_HEIGHT = 26;
constexpr int BUTTON_MIN_WIDTH = 88;
constexpr int BUTTON_PADDING = 12;
constexpr int BUTTON_GAP = 8;
constexpr int FONT_HEIGHT = 12;
constexpr int SCROLL_BAR_WIDTH = 17;

constexpr DWORD STYLE = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND;
constexpr DWORD EX_STYLE = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr UINT TEXT_FORMAT = DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX | DT_EXPANDTABS;

// AdjustWindowRectExForDpi exists from Windows 10 1607: resolved at run time.
void AdjustFrame(RECT& rect, int dpi) {
  using TAdjust = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi = [] {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<TAdjust>(
                        reinterpret_cast<void*>(GetProcAddress(user32, "AdjustWindowRectExForDpi")))
                  : nullptr;
  }();
  if (!adjustForDpi || !adjustForDpi(&rect, STYLE, FALSE, EX_STYLE, static_cast<UINT>(dpi))) {
    AdjustWindowRectEx(&rect, STYLE, FALSE, EX_STYLE);
  }
}

// The face of the system's message font ("Segoe UI" on current Windows).
std::wstring MessageFontFace() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0) &&
      metrics.lfMessageFont.lfFaceName[0] != L'\0') {
    return metrics.lfMessageFont.lfFaceName;
  }
  return L"Segoe UI";
}

TLayoutRect WorkArea(HMONITOR monitor) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (!monitor || !GetMonitorInfoW(monitor, &info)) {
    return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  return {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
}

// Keeps [position, position + size) inside [low, high); the low edge wins when it cannot fit.
int KeepInside(int position, int size, int low, int high) { return std::max(low, std::min(position, high - size)); }

// A system icon at a size: one made for that size, or else the system's shared one.
class TSystemIcon {
 public:
  void Load(const wchar_t* id, int size) {
    m_made.Reset(static_cast<HICON>(LoadImageW(nullptr, id, IMAGE_ICON, size, size, 0)));
    m_shared = m_made ? nullptr : LoadIconW(nullptr, id);
  }
  HICON Get() const { return m_made ? m_made.Get() : m_shared; }

 private:
  TIcon m_made;
  HICON m_shared = nullptr;  // never destroyed
};

class TMessageDialog {
 public:
  TMessageDialog(IStringTable& strings, const std::string& title, const std::string& text, int type)
      : m_strings(strings), m_title(Utf8ToWide(title)), m_text(Utf8ToWide(text)), m_layout(MessageBoxLayout(type)) {
    m_buttons[0] = TButton{QV_BOX_YES_ID, MODAL_YES, m_layout.yes};
    m_buttons[1] = TButton{QV_BOX_OK_ID, MODAL_OK, m_layout.ok};
    m_buttons[2] = TButton{QV_BOX_CANCEL_ID, MODAL_CANCEL, m_layout.cancel};
  }
  TMessageDialog(const TMessageDialog&) = delete;
  TMessageDialog& operator=(const TMessageDialog&) = delete;

  // The modal result: a button's, or MODAL_CLOSED.
  int Run(HWND owner) {
    m_owner = owner ? GetAncestor(owner, GA_ROOT) : nullptr;
    // A template without controls: the box creates and places its own.
    struct alignas(DWORD) TTemplate {
      DLGTEMPLATE header;
      WORD menu, windowClass, title;
    } dialogTemplate{};
    dialogTemplate.header.style = STYLE;
    dialogTemplate.header.dwExtendedStyle = EX_STYLE;
    // Over a hidden or minimised window (the program in the notification area)
    // the box gets a taskbar button of its own, so the user can find it.
    if (!m_owner || !IsWindowVisible(m_owner) || IsIconic(m_owner)) dialogTemplate.header.dwExtendedStyle |= WS_EX_APPWINDOW;
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &dialogTemplate.header, m_owner,
                                                   &TMessageDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    return result > 0 ? static_cast<int>(result) : MODAL_CLOSED;
  }

 private:
  struct TButton {
    TButton() = default;
    TButton(int buttonId, int result, const TMessageBoxButton& button) : id(buttonId), modalResult(result), layout(button) {}
    int id = 0;
    int modalResult = MODAL_CLOSED;
    TMessageBoxButton layout;
    HWND hwnd = nullptr;
    std::wstring caption;
    int width = 0;
  };

  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    TMessageDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
      self = reinterpret_cast<TMessageDialog*>(lParam);
      self->m_hwnd = hwnd;
      SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    } else {
      self = reinterpret_cast<TMessageDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!self) return FALSE;
    try {
      return self->Handle(message, wParam, lParam);
    } catch (...) {
      // A box that could not be built answers as closed; no exception leaves the procedure.
      if (message == WM_INITDIALOG) EndDialog(hwnd, MODAL_CLOSED);
      return FALSE;
    }
  }

  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_INITDIALOG:
        Build();
        return FALSE;  // the focus is set
      case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (TButton* button = Shown(id)) {
          EndDialog(m_hwnd, button->modalResult);
          return TRUE;
        }
        // Escape without a Cancel button closes the box.
        if (id == IDCANCEL) {
          EndDialog(m_hwnd, MODAL_CLOSED);
          return TRUE;
        }
        return FALSE;
      }
      case WM_CLOSE:  // the close box, Alt+F4
        EndDialog(m_hwnd, MODAL_CLOSED);
        return TRUE;
      case WM_CTLCOLORDLG:
        return reinterpret_cast<INT_PTR>(m_background.Get());
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLORBTN: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkColor(dc, QV_BOX_BACKGROUND);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<INT_PTR>(m_background.Get());
      }
      case WM_PAINT: {
        TPaintDC paint(m_hwnd);
        if (m_icon.Get()) {
          DrawIconEx(paint.Get(), m_iconRect.left, m_iconRect.top, m_icon.Get(), m_iconRect.Width(),
                     m_iconRect.Height(), 0, nullptr, DI_NORMAL);
        }
        return TRUE;
      }
      case WM_DPICHANGED:
        m_dpi = DpiOverride() ? *DpiOverride() : HIWORD(wParam);
        LayOut(reinterpret_cast<const RECT*>(lParam));
        SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, 0);
        return TRUE;
      default:
        return FALSE;
    }
  }

  TButton* Shown(int id) {
    for (TButton& button : m_buttons) {
      if (button.id == id && button.hwnd) return &button;
    }
    return nullptr;
  }

  void Build() {
    m_dpi = WindowDpi(m_hwnd);
    m_background.Reset(CreateSolidBrush(QV_BOX_BACKGROUND));
    SetWindowTextW(m_hwnd, m_title.c_str());
    HINSTANCE instance = GetModuleHandleW(nullptr);
    // Enter presses OK; where OK is hidden, the negative button, so that Enter
    // never answers yes by accident.
    const int defaultId = m_layout.ok.visible ? QV_BOX_OK_ID : QV_BOX_CANCEL_ID;
    for (TButton& button : m_buttons) {
      if (!button.layout.visible) continue;
      button.caption = Utf8ToWide(m_strings.Load(button.layout.captionId));
      const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (button.id == defaultId ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
      button.hwnd = CreateWindowExW(0, WC_BUTTONW, button.caption.c_str(), style, 0, 0, 0, 0, m_hwnd,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(button.id)), instance, nullptr);
      if (button.hwnd && button.layout.hintId != 0) {
        if (!m_tipsCreated) m_tips.Create(m_hwnd);
        m_tipsCreated = true;
        m_tips.Set(button.hwnd, m_strings.Load(button.layout.hintId));
      }
    }
    SendMessageW(m_hwnd, DM_SETDEFID, static_cast<WPARAM>(defaultId), 0);
    LayOut(nullptr);
    if (HWND focus = GetDlgItem(m_hwnd, defaultId)) SetFocus(focus);
  }

  // The text control: a static, or a scrolling read-only edit for a text taller
  // than the screen allows. It comes first among the children, before the buttons.
  void UseTextControl(bool scrolls) {
    if (m_textControl && scrolls == m_textScrolls) return;
    if (m_textControl) DestroyWindow(m_textControl);
    m_textScrolls = scrolls;
    const DWORD style = scrolls ? WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL
                                : WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL;
    m_textControl = CreateWindowExW(0, scrolls ? WC_EDITW : WC_STATICW, m_text.c_str(), style, 0, 0, 0, 0, m_hwnd,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(QV_BOX_TEXT_ID)),
                                    GetModuleHandleW(nullptr), nullptr);
    if (m_textControl) SetWindowPos(m_textControl, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }

  // Sizes the box to its text and buttons at the current DPI and places it:
  // centred on the owner (or the work area), kept on the monitor.
  void LayOut(const RECT* suggested) {
    auto scale = [this](int value) { return ScaleLogical(value, m_dpi); };
    m_font = MakeFont(MessageFontFace().c_str(), scale(FONT_HEIGHT));
    static const wchar_t* const icons[] = {IDI_INFORMATION, IDI_QUESTION, IDI_ERROR};
    m_icon.Load(icons[static_cast<int>(m_layout.icon)], scale(ICON_SIZE));

    // Text and captions measured in the box's font.
    RECT text{0, 0, scale(MAX_TEXT_WIDTH), 0};
    int buttonsWidth = 0;
    int buttonCount = 0;
    {
      TClientDC dc(m_hwnd);
      TSelectObject font(dc.Get(), m_font.Get());
      DrawTextW(dc.Get(), m_text.c_str(), static_cast<int>(m_text.size()), &text, DT_CALCRECT | TEXT_FORMAT);
      for (TButton& button : m_buttons) {
        if (!button.hwnd) continue;
        RECT caption{};
        DrawTextW(dc.Get(), button.caption.c_str(), -1, &caption, DT_CALCRECT | DT_SINGLELINE);
        button.width = std::max(scale(BUTTON_MIN_WIDTH), static_cast<int>(caption.right) + 2 * scale(BUTTON_PADDING));
        buttonsWidth += button.width;
        ++buttonCount;
      }
    }
    if (buttonCount > 1) buttonsWidth += (buttonCount - 1) * scale(BUTTON_GAP);

    HMONITOR monitor = suggested ? MonitorFromRect(suggested, MONITOR_DEFAULTTONEAREST)
                                 : MonitorFromWindow(m_owner ? m_owner : m_hwnd, MONITOR_DEFAULTTONEAREST);
    const TLayoutRect work = WorkArea(monitor);
    RECT frame{0, 0, 0, 0};
    AdjustFrame(frame, m_dpi);
    const int frameWidth = frame.right - frame.left;
    const int frameHeight = frame.bottom - frame.top;

    // A text taller than the work area scrolls.
    int textWidth = static_cast<int>(text.right);
    int textHeight = static_cast<int>(text.bottom);
    const int margin = scale(MARGIN);
    const int iconSize = scale(ICON_SIZE);
    const int maxTextHeight = std::max(
        iconSize, work.Height() - frameHeight - 2 * margin - scale(TEXT_TO_BUTTONS) - scale(BUTTON_HEIGHT));
    const bool scrolls = textHeight > maxTextHeight;
    if (scrolls) {
      textHeight = maxTextHeight;
      textWidth += scale(SCROLL_BAR_WIDTH);
    }
    UseTextControl(scrolls);
    if (scrolls && m_textControl) SendMessageW(m_textControl, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);

    const int textLeft = margin + iconSize + scale(ICON_GAP);
    const int bodyHeight = std::max(iconSize, textHeight);
    const int textTop = margin + (bodyHeight - textHeight) / 2;
    const int clientWidth =
        std::max({scale(MIN_CLIENT_WIDTH), textLeft + textWidth + margin, 2 * margin + buttonsWidth});
    const int buttonTop = margin + bodyHeight + scale(TEXT_TO_BUTTONS);
    const int clientHeight = buttonTop + scale(BUTTON_HEIGHT) + margin;
    const int width = clientWidth + frameWidth;
    const int height = clientHeight + frameHeight;

    int left = 0;
    int top = 0;
    if (suggested) {
      left = suggested->left;
      top = suggested->top;
    } else {
      TLayoutRect area = work;
      RECT ownerRect{};
      if (m_owner && IsWindowVisible(m_owner) && !IsIconic(m_owner) && GetWindowRect(m_owner, &ownerRect)) {
        area = {ownerRect.left, ownerRect.top, ownerRect.right, ownerRect.bottom};
      }
      left = area.left + (area.Width() - width) / 2;
      top = area.top + (area.Height() - height) / 2;
    }
    left = KeepInside(left, width, work.left, work.right);
    top = KeepInside(top, height, work.top, work.bottom);
    PlaceWindow(m_hwnd, left, top, width, height);

    m_iconRect = {margin, margin, margin + iconSize, margin + iconSize};
    if (m_textControl) {
      SendMessageW(m_textControl, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), FALSE);
      MoveWindow(m_textControl, textLeft, textTop, clientWidth - margin - textLeft, textHeight, TRUE);
    }
    int buttonLeft = clientWidth - margin - buttonsWidth;
    for (TButton& button : m_buttons) {
      if (!button.hwnd) continue;
      SendMessageW(button.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), FALSE);
      MoveWindow(button.hwnd, buttonLeft, buttonTop, button.width, scale(BUTTON_HEIGHT), TRUE);
      buttonLeft += button.width + scale(BUTTON_GAP);
    }
    InvalidateRect(m_hwnd, nullptr, TRUE);
  }

  IStringTable& m_strings;
  std::wstring m_title;
  std::wstring m_text;
  TMessageBoxLayout m_layout;
  std::array<TButton, 3> m_buttons;  // Yes, OK, Cancel: the order they are laid out in
  HWND m_owner = nullptr;
  HWND m_hwnd = nullptr;
  HWND m_textControl = nullptr;
  bool m_textScrolls = false;
  int m_dpi = QV_DESIGN_DPI;
  TFont m_font;  // the controls use it until the box is destroyed, before this object
  TBrush m_background;
  TSystemIcon m_icon;
  TLayoutRect m_iconRect;
  TToolTips m_tips;
  bool m_tipsCreated = false;
};

}  // namespace

int QvMessageBox(HWND owner, IStringTable& strings, const std::string& ATitle, const std::string& AMsg, int AType) {
  TMessageDialog dialog(strings, ATitle, AMsg, AType);
  return MessageBoxAnswer(AType, dialog.Run(owner));
}
