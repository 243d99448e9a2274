#include "ui/win32/form_controls.h"

#include <commctrl.h>

#include "platform/win32/win32_text.h"

namespace {

HWND MakeControl(const wchar_t* className, DWORD style, DWORD exStyle, HWND parent, int id, const TLayoutRect& rect,
                 HFONT font) {
  // Siblings are clipped, so that a group frame never paints over its buttons.
  HWND control = CreateWindowExW(exStyle, className, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, rect.left, rect.top,
                                 rect.Width(), rect.Height(), parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (control && font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

// A group frame paints only its line and caption: its inside is erased with
// the parent's static background, as the page clips its children.
LRESULT CALLBACK GroupFrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
  if (message == WM_ERASEBKGND) {
    auto dc = reinterpret_cast<HDC>(wParam);
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(GetParent(hwnd), WM_CTLCOLORSTATIC, wParam, reinterpret_cast<LPARAM>(hwnd)));
    RECT client{};
    GetClientRect(hwnd, &client);
    if (brush) {
      FillRect(dc, &client, brush);
      return 1;
    }
  } else if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, GroupFrameProc, id);
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

HWND MakePicker(DWORD style, HWND parent, int id, const TLayoutRect& rect, HFONT font) {
  INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_DATE_CLASSES};
  InitCommonControlsEx(&classes);
  return MakeControl(DATETIMEPICK_CLASSW, WS_TABSTOP | style, 0, parent, id, rect, font);
}

}  // namespace

HWND CreateCheckBox(HWND parent, int id, const TLayoutRect& rect, HFONT font) {
  return MakeControl(WC_BUTTONW, WS_TABSTOP | BS_AUTOCHECKBOX, 0, parent, id, rect, font);
}

HWND CreateRadioButton(HWND parent, int id, const TLayoutRect& rect, HFONT font, bool first) {
  return MakeControl(WC_BUTTONW, BS_AUTORADIOBUTTON | (first ? WS_GROUP | WS_TABSTOP : 0), 0, parent, id, rect, font);
}

HWND CreateGroupFrame(HWND parent, int id, const TLayoutRect& rect, HFONT font) {
  HWND frame = MakeControl(WC_BUTTONW, BS_GROUPBOX, 0, parent, id, rect, font);
  if (frame) SetWindowSubclass(frame, GroupFrameProc, 1, 0);
  return frame;
}

HWND CreateDropDownList(HWND parent, int id, const TLayoutRect& rect, HFONT font) {
  TLayoutRect dropped = rect;
  dropped.bottom += 200;
  return MakeControl(WC_COMBOBOXW, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, parent, id, dropped, font);
}

HWND CreateEdit(HWND parent, int id, const TLayoutRect& rect, HFONT font, TEditKind kind) {
  DWORD style = WS_TABSTOP | ES_AUTOHSCROLL;
  if (kind == TEditKind::readOnly) style |= ES_READONLY;
  if (kind == TEditKind::digits) style |= ES_NUMBER;
  return MakeControl(WC_EDITW, style, WS_EX_CLIENTEDGE, parent, id, rect, font);
}

HWND CreateDatePicker(HWND parent, int id, const TLayoutRect& rect, HFONT font) {
  return MakePicker(DTS_SHORTDATEFORMAT, parent, id, rect, font);
}

HWND CreateTimePicker(HWND parent, int id, const TLayoutRect& rect, HFONT font) {
  HWND picker = MakePicker(DTS_TIMEFORMAT | DTS_UPDOWN, parent, id, rect, font);
  if (picker) SendMessageW(picker, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"HH:mm"));
  return picker;
}

void SetChecked(HWND button, bool checked) {
  SendMessageW(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool IsChecked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void SetWindowTextUtf8(HWND control, const std::string& text) {
  SetWindowTextW(control, Utf8ToWide(text).c_str());
}

std::string WindowTextUtf8(HWND control) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return WideToUtf8(text);
}

void SetListItems(HWND list, const std::vector<std::string>& items, int selected) {
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  for (const std::string& item : items)
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf8ToWide(item).c_str()));
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void SetPickerTime(HWND picker, const TLocalTime& time) {
  SYSTEMTIME value{};
  value.wYear = static_cast<WORD>(time.year);
  value.wMonth = static_cast<WORD>(time.month);
  value.wDay = static_cast<WORD>(time.day);
  value.wHour = static_cast<WORD>(time.hour);
  value.wMinute = static_cast<WORD>(time.minute);
  value.wSecond = static_cast<WORD>(time.second);
  SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&value));
}

TLocalTime PickerTime(HWND picker) {
  SYSTEMTIME value{};
  SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&value));
  return {value.wYear, value.wMonth, value.wDay, value.wHour, value.wMinute, value.wSecond};
}

void TPageSwitcher::Show(size_t index, bool visible) {
  for (size_t page = 0; page < m_pages.size(); ++page)
    for (HWND control : m_pages[page]) ShowWindow(control, visible && page == index ? SW_SHOW : SW_HIDE);
}
