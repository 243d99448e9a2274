// TScheduleSettingsPage: the Schedule card's controls. The cycle choice, the
// daily, weekly and one-time pages with their date and time pickers and the
// day boxes, the current schedule and Save; it shows the presenter's view and
// reports the user's changes. A picker set by Apply sends no notification, so
// only the user's changes are reported.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <optional>

#include "ui/schedule_settings_presenter.h"
#include "ui/win32/controls.h"
#include "ui/win32/form_controls.h"
#include "ui/win32/page.h"

// Control identifiers of the page, also used by the window tests.
enum TScheduleControlId : int {
  idSchedulePage = 700,
  idScheduleTitle = 701,
  idCycleGroup = 702,
  idCycleFirst = 703,  // to idCycleFirst + 3, in the cycle's order
  idStepHeadingFirst = 710,
  idStartLabelFirst = 713,
  idDatePickerFirst = 716,  // daily, weekly, one time
  idTimePickerFirst = 719,
  idDaysLabel = 722,
  idDayFirst = 723,  // Monday to Sunday
  idCurrentSchedule = 730,
  idSaveSchedule = 731,
};

struct TScheduleSettingsPageEvents {
  std::function<void(int)> cycleClicked;
  std::function<void(const TLocalTime&)> datePicked;
  std::function<void(const TLocalTime&)> timePicked;
  std::function<void(size_t, bool)> dayClicked;
  std::function<void()> save;
};

class TScheduleSettingsPage : public TPage {
 public:
  inline static const wchar_t* const CLASS_NAME = L"QvScheduleSettingsPage";

  bool Create(HWND card, const TLayoutRect& rect, TScheduleSettingsPageEvents events);
  // Shows the view; only what differs from the view shown before is touched.
  void Apply(const TScheduleSettingsView& view);

 protected:
  void OnCommand(int id, int code, HWND control) override;
  bool OnNotify(const NMHDR& header) override;
  void OnDpiChanged(int, const RECT*) override;

 private:
  void MakeFonts();
  void SetFonts();
  // Places every control at the page's DPI and fits the day boxes and Save to their texts.
  void Layout();
  void PlacePickers();

  HWND m_title = nullptr;
  HWND m_cycleGroup = nullptr;
  std::array<HWND, QV_CYCLE_COUNT> m_cycles{};
  std::array<HWND, QV_STEP_COUNT> m_headings{}, m_startLabels{}, m_dates{}, m_times{};
  HWND m_daysLabel = nullptr;
  std::array<HWND, QV_DAY_COUNT> m_days{};
  HWND m_current = nullptr;
  TStyledButton m_save;
  TPageSwitcher m_steps{QV_STEP_COUNT};
  TFont m_titleFont, m_textFont, m_headingFont, m_buttonFont;
  TScheduleSettingsPageEvents m_events;
  std::optional<TScheduleSettingsView> m_shown;
};
