#include "ui/win32/controls.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "core/scale.h"
#include "platform/win32/win32_text.h"
#include "ui/win32/dpi.h"

namespace {

constexpr UINT_PTR QV_HOVER_SUBCLASS = 0x5156;  // "QV"

// The colours behind the three looks.
struct TLookColors {
  COLORREF face;
  COLORREF border;
  COLORREF text;
};
TLookColors ColorsOf(TButtonLook look) {
  switch (look) {
    case TButtonLook::normal: return {HexColor(0x0078D7), HexColor(0x005A9E), QV_COLOR_WHITE};
    case TButtonLook::disabled: return {HexColor(0xCCCCCC), HexColor(0xBFBFBF), HexColor(0x7A7A7A)};
    case TButtonLook::hover: return {HexColor(0xFF7F50), HexColor(0xE5653A), QV_COLOR_WHITE};
  }
  return {};
}

std::wstring WindowText(HWND hwnd) {
  int length = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
  return text;
}

}  // namespace

TOwnerDrawnButton::~TOwnerDrawnButton() {
  if (m_hwnd && IsWindow(m_hwnd)) {
    RemoveWindowSubclass(m_hwnd, &TOwnerDrawnButton::SubclassProc, QV_HOVER_SUBCLASS);
    RemovePropW(m_hwnd, QV_OWNER_DRAWN_PROPERTY);
    DestroyWindow(m_hwnd);
  }
}

bool TOwnerDrawnButton::Create(HWND parent, int id, const std::string& caption, const TLayoutRect& rect) {
  m_hwnd = CreateWindowExW(0, WC_BUTTONW, Utf8ToWide(caption).c_str(),
                           WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_OWNERDRAW, rect.left, rect.top,
                           rect.Width(), rect.Height(), parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (!m_hwnd) return false;
  SetPropW(m_hwnd, QV_OWNER_DRAWN_PROPERTY, static_cast<IOwnerDrawn*>(this));
  SetWindowSubclass(m_hwnd, &TOwnerDrawnButton::SubclassProc, QV_HOVER_SUBCLASS, reinterpret_cast<DWORD_PTR>(this));
  return true;
}

LRESULT CALLBACK TOwnerDrawnButton::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                 DWORD_PTR data) {
  auto* self = reinterpret_cast<TOwnerDrawnButton*>(data);
  switch (message) {
    case WM_MOUSEMOVE:
      if (!self->m_hot) {
        self->m_hot = true;
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = hwnd;
        TrackMouseEvent(&track);
        if (IsWindowEnabled(hwnd)) self->HoverChanged();
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      break;
    case WM_MOUSELEAVE:
      self->m_hot = false;
      if (IsWindowEnabled(hwnd)) self->HoverChanged();
      InvalidateRect(hwnd, nullptr, FALSE);
      PostMessageW(GetParent(hwnd), QV_CHILD_MOUSE_LEFT, 0, 0);
      break;
    case WM_SETCURSOR:
      if (self->m_handCursor && LOWORD(lParam) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_ENABLE:
      self->m_hot = false;
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, &TOwnerDrawnButton::SubclassProc, QV_HOVER_SUBCLASS);
      RemovePropW(hwnd, QV_OWNER_DRAWN_PROPERTY);
      self->m_hwnd = nullptr;
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

void TOwnerDrawnButton::Draw(const DRAWITEMSTRUCT& item) {
  Paint(item.hDC, item.rcItem, !(item.itemState & ODS_DISABLED), (item.itemState & ODS_SELECTED) != 0);
  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
    RECT focus = item.rcItem;
    InflateRect(&focus, -3, -3);
    DrawFocusRect(item.hDC, &focus);
  }
}

void TStyledButton::SetLook(TButtonLook look) {
  m_look = look;
  if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

void TStyledButton::SetFont(HFONT font) {
  m_font = font;
  if (Handle()) SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void TStyledButton::HoverChanged() { SetLook(Hot() ? TButtonLook::hover : TButtonLook::normal); }

void TStyledButton::Paint(HDC dc, const RECT& rect, bool enabled, bool pressed) {
  // The look follows the enabled state even when a caller forgot SetButtonEnabled.
  TLookColors colors = ColorsOf(enabled ? m_look : TButtonLook::disabled);
  TBrush face(CreateSolidBrush(colors.face));
  TPen border(CreatePen(PS_SOLID, 1, colors.border));
  {
    TSelectObject brush(dc, face.Get());
    TSelectObject pen(dc, border.Get());
    // Corner radius 1: barely rounded.
    RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, 2, 2);
  }
  RECT text = rect;
  if (pressed) OffsetRect(&text, 1, 1);
  std::wstring caption = WindowText(Handle());
  TSelectObject font(dc, m_font ? static_cast<HGDIOBJ>(m_font) : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colors.text);
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
}

void SetButtonEnabled(TStyledButton& button, bool enabled) {
  if (button.Handle()) EnableWindow(button.Handle(), enabled ? TRUE : FALSE);
  button.SetLook(enabled ? TButtonLook::normal : TButtonLook::disabled);
}

void TGlyphButton::HoverChanged() {
  if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

void TGlyphButton::Paint(HDC dc, const RECT& rect, bool, bool pressed) {
  COLORREF back = QV_COLOR_BAR;
  if (Hot() || pressed) back = m_glyph == TGlyph::close ? HexColor(0xE81123) : QV_COLOR_HOT;
  FillSolid(dc, rect, back);
  const int size = rect.right - rect.left;
  const int pen = std::max(1, size / 15);
  TPen white(CreatePen(PS_SOLID, pen, QV_COLOR_WHITE));
  TSelectObject selectPen(dc, white.Get());
  TSelectObject noBrush(dc, GetStockObject(NULL_BRUSH));
  const int cx = (rect.left + rect.right) / 2;
  const int cy = (rect.top + rect.bottom) / 2;
  const int r = size * 3 / 10;  // the glyph's half size
  switch (m_glyph) {
    case TGlyph::close:
      MoveToEx(dc, cx - r, cy - r, nullptr);
      LineTo(dc, cx + r + 1, cy + r + 1);
      MoveToEx(dc, cx + r, cy - r, nullptr);
      LineTo(dc, cx - r - 1, cy + r + 1);
      break;
    case TGlyph::minimize:
      MoveToEx(dc, cx - r, cy + r / 2, nullptr);
      LineTo(dc, cx + r + 1, cy + r / 2);
      break;
    case TGlyph::help:
    case TGlyph::about: {
      Ellipse(dc, cx - r - 1, cy - r - 1, cx + r + 2, cy + r + 2);
      TFont font = MakeFont(L"Tahoma", r * 3 / 2, true);
      TSelectObject selectFont(dc, font.Get());
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, QV_COLOR_WHITE);
      RECT inner = {cx - r, cy - r, cx + r + 1, cy + r + 1};
      DrawTextW(dc, m_glyph == TGlyph::help ? L"?" : L"i", 1, &inner, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      break;
    }
  }
}

HWND CreateLabel(HWND parent, int id, const std::string& text, const TLayoutRect& rect, HFONT font, DWORD align) {
  HWND label = CreateWindowExW(0, WC_STATICW, Utf8ToWide(text).c_str(),
                               WS_CHILD | WS_VISIBLE | SS_NOPREFIX | SS_ENDELLIPSIS | align, rect.left, rect.top,
                               rect.Width(), rect.Height(), parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (label && font) SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return label;
}

int LabelTextWidth(HWND label) {
  const std::wstring text = WindowText(label);
  TClientDC dc(label);
  TSelectObject font(dc.Get(), reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

TToolTips::~TToolTips() {
  if (m_hwnd && IsWindow(m_hwnd)) DestroyWindow(m_hwnd);
}

void TToolTips::Create(HWND owner) {
  m_hwnd = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

void TToolTips::Set(HWND control, const std::string& text) {
  if (!m_hwnd || !control) return;
  std::wstring wide = Utf8ToWide(text);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = GetParent(control);
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = wide.data();
  SendMessageW(m_hwnd, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  if (!wide.empty()) SendMessageW(m_hwnd, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TToolTips::SetPart(HWND control, UINT_PTR part, const RECT& rect, const std::string& text) {
  if (!m_hwnd || !control) return;
  std::wstring wide = Utf8ToWide(text);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_SUBCLASS;
  tool.hwnd = control;
  tool.uId = part;
  tool.rect = rect;
  tool.lpszText = wide.data();
  SendMessageW(m_hwnd, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  if (!wide.empty()) SendMessageW(m_hwnd, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TToolTips::RemovePart(HWND control, UINT_PTR part) {
  if (!m_hwnd || !control) return;
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.hwnd = control;
  tool.uId = part;
  SendMessageW(m_hwnd, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void FitControlWidth(HWND control, int pixelsPerInch) {
  if (!control) return;
  wchar_t className[32] = {};
  GetClassNameW(control, className, 32);
  const bool combo = lstrcmpiW(className, WC_COMBOBOXW) == 0;
  const bool button = lstrcmpiW(className, WC_BUTTONW) == 0;
  const int screenDpi = WindowDpi(control);

  std::wstring text;
  if (combo) {
    // The longest item by characters; the first of equally long ones.
    const int count = static_cast<int>(SendMessageW(control, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      const int length = static_cast<int>(SendMessageW(control, CB_GETLBTEXTLEN, i, 0));
      if (length <= static_cast<int>(text.size())) continue;
      std::wstring item(static_cast<size_t>(length) + 1, L'\0');
      SendMessageW(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
      item.resize(static_cast<size_t>(length));
      text = item;
    }
  } else {
    text = WindowText(control);
  }

  SIZE extent{};
  {
    TClientDC dc(control);
    if (!dc) return;
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    TSelectObject selectFont(dc.Get(), font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
  }

  int width = extent.cx + ScaleToScreen(combo ? 40 : 30, pixelsPerInch, screenDpi);
  const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
  const LONG_PTR kind = style & BS_TYPEMASK;
  if (button && (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON || kind == BS_OWNERDRAW)) {
    width = std::max(width, ScaleToScreen(100, pixelsPerInch, screenDpi));
  }
  RECT rect{};
  GetWindowRect(control, &rect);
  SetWindowPos(control, nullptr, 0, 0, width, rect.bottom - rect.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ClearScrollBox(HWND box) {
  if (!box) return;
  // Children are kept in creation order; the last created is destroyed first.
  while (HWND child = GetWindow(box, GW_CHILD)) {
    HWND last = GetWindow(child, GW_HWNDLAST);
    DestroyWindow(last ? last : child);
  }
}

void AppendListRow(HWND list, const std::string& first, const std::string& second) {
  std::wstring firstText = Utf8ToWide(first);
  std::wstring secondText = Utf8ToWide(second);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  item.pszText = firstText.data();
  const int index = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  item.iItem = index;
  item.iSubItem = 1;
  item.pszText = secondText.data();
  SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}
