// The settings pages' standard controls: check boxes, radio buttons and their
// group frame, a drop-down list, read-only and digits-only edits, date and time
// pickers, and a page switcher without tabs. Each is made at logical place
// `rect` (already scaled) with the page's font; events stay the parent's
// WM_COMMAND and WM_NOTIFY.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/locale.h"
#include "ui/shell_layout.h"

HWND CreateCheckBox(HWND parent, int id, const TLayoutRect& rect, HFONT font);
// `first` starts a new group of radio buttons.
HWND CreateRadioButton(HWND parent, int id, const TLayoutRect& rect, HFONT font, bool first);
HWND CreateGroupFrame(HWND parent, int id, const TLayoutRect& rect, HFONT font);
// A drop-down list without typing; `rect` gives its closed height, the list drops 200 more.
HWND CreateDropDownList(HWND parent, int id, const TLayoutRect& rect, HFONT font);
enum class TEditKind { normal, readOnly, digits };
HWND CreateEdit(HWND parent, int id, const TLayoutRect& rect, HFONT font, TEditKind kind);
// Pickers of a date in the user's short date format, and of a time shown "HH:mm".
HWND CreateDatePicker(HWND parent, int id, const TLayoutRect& rect, HFONT font);
HWND CreateTimePicker(HWND parent, int id, const TLayoutRect& rect, HFONT font);

void SetChecked(HWND button, bool checked);
bool IsChecked(HWND button);
void SetWindowTextUtf8(HWND control, const std::string& text);
std::string WindowTextUtf8(HWND control);
// Replaces a drop-down list's items and selects `selected`.
void SetListItems(HWND list, const std::vector<std::string>& items, int selected);
// A picker's date and time of day; a picker set this way sends no change notification.
void SetPickerTime(HWND picker, const TLocalTime& time);
TLocalTime PickerTime(HWND picker);

// Pages of controls of which one at most is visible, without tabs.
class TPageSwitcher {
 public:
  explicit TPageSwitcher(size_t pages) : m_pages(pages) {}
  void Add(size_t page, HWND control) { m_pages.at(page).push_back(control); }
  // Shows page `index`, or none while the switcher is hidden.
  void Show(size_t index, bool visible);
  int Height() const { return m_height; }
  void SetHeight(int height) { m_height = height; }

 private:
  std::vector<std::vector<HWND>> m_pages;
  int m_height = 0;
};
