#include "app/schedule_settings_page.h"

#include <commctrl.h>

#include <algorithm>

namespace {

// The page switcher's place; its pages' controls are placed from its corner.
constexpr int STEPS_LEFT = 264;
constexpr int STEPS_TOP = 73;
constexpr int STEPS_WIDTH = 290;
// The weekly page's panel of day boxes.
constexpr int DAYS_TOP = STEPS_TOP + 104;
constexpr int DAY_BOX_LEFT[QV_DAY_COUNT] = {20, 20, 20, 140, 140, 140, 140};
constexpr int DAY_BOX_TOP[QV_DAY_COUNT] = {25, 50, 75, 25, 50, 75, 100};

}  // namespace

bool TScheduleSettingsPage::Create(HWND card, const TLayoutRect& rect, TScheduleSettingsPageEvents events) {
  m_events = std::move(events);
  if (!CreatePage(CLASS_NAME, card, rect, idSchedulePage)) return false;
  MakeFonts();
  const HWND page = Handle();
  const TLayoutRect none{};
  m_title = CreateLabel(page, idScheduleTitle, "", none, m_titleFont.Get());
  for (size_t i = 0; i < QV_CYCLE_COUNT; ++i)
    m_cycles[i] = CreateRadioButton(page, idCycleFirst + static_cast<int>(i), none, m_textFont.Get(), i == 0);
  // Made after its buttons, so that it lies below them.
  m_cycleGroup = CreateGroupFrame(page, idCycleGroup, none, m_textFont.Get());
  for (size_t step = 0; step < QV_STEP_COUNT; ++step) {
    const int id = static_cast<int>(step);
    m_headings[step] = CreateLabel(page, idStepHeadingFirst + id, "", none, m_headingFont.Get());
    m_startLabels[step] = CreateLabel(page, idStartLabelFirst + id, "", none, m_textFont.Get());
    m_dates[step] = CreateDatePicker(page, idDatePickerFirst + id, none, m_textFont.Get());
    m_times[step] = CreateTimePicker(page, idTimePickerFirst + id, none, m_textFont.Get());
    for (HWND control : {m_headings[step], m_startLabels[step], m_dates[step], m_times[step]})
      m_steps.Add(step, control);
  }
  m_daysLabel = CreateLabel(page, idDaysLabel, "", none, m_textFont.Get());
  m_steps.Add(cycWeekly, m_daysLabel);
  for (size_t day = 0; day < QV_DAY_COUNT; ++day) {
    m_days[day] = CreateCheckBox(page, idDayFirst + static_cast<int>(day), none, m_textFont.Get());
    m_steps.Add(cycWeekly, m_days[day]);
  }
  m_steps.Show(0, false);
  m_current = CreateLabel(page, idCurrentSchedule, "", none, m_textFont.Get());
  m_save.Create(page, idSaveSchedule, "", none);
  m_save.SetFont(m_buttonFont.Get());
  Layout();
  SetButtonEnabled(m_save, false);
  return true;
}

void TScheduleSettingsPage::PlacePickers() {
  // A date picker is widened when its date does not fit (a longer short-date
  // format, a wider font); its time picker keeps the distance to it.
  for (size_t step = 0; step < QV_STEP_COUNT; ++step) {
    const int needed = LabelTextWidth(m_dates[step]) + GetSystemMetrics(SM_CXVSCROLL) + Scale(12);
    const int width = std::max(Scale(91), needed);
    const int left = Scale(STEPS_LEFT + 15);
    PlaceWindow(m_dates[step], left, Scale(STEPS_TOP + 50), width, Scale(24));
    PlaceWindow(m_times[step], left + width + Scale(120 - 15 - 91), Scale(STEPS_TOP + 50), Scale(70), Scale(24));
  }
}

void TScheduleSettingsPage::Layout() {
  PlaceWindow(m_title, At(21, 21, 520, 36));
  for (size_t i = 0; i < QV_CYCLE_COUNT; ++i) PlaceWindow(m_cycles[i], At(33, 97 + 28 * static_cast<int>(i), 200, 20));
  PlaceWindow(m_cycleGroup, At(21, 73, 220, QV_CYCLE_GROUP_HEIGHT));
  for (size_t step = 0; step < QV_STEP_COUNT; ++step) {
    PlaceWindow(m_headings[step], At(STEPS_LEFT, STEPS_TOP, STEPS_WIDTH, 20));
    PlaceWindow(m_startLabels[step], At(STEPS_LEFT + 15, STEPS_TOP + 30, 100, 18));
  }
  PlacePickers();
  PlaceWindow(m_daysLabel, At(STEPS_LEFT + 15, DAYS_TOP - 3, 260, 18));
  for (size_t day = 0; day < QV_DAY_COUNT; ++day) {
    PlaceWindow(m_days[day], At(STEPS_LEFT + DAY_BOX_LEFT[day], DAYS_TOP + DAY_BOX_TOP[day], 110, 17));
    FitControlWidth(m_days[day], QV_DESIGN_DPI);
  }
  PlaceWindow(m_current, At(21, 407, 546, 20));
  PlaceWindow(m_save.Handle(), At(467, 462, 100, 30));
  FitControlWidth(m_save.Handle(), QV_DESIGN_DPI);
}

void TScheduleSettingsPage::MakeFonts() {
  m_titleFont = MakeFont(L"Segoe UI Semibold", Scale(24), true);
  m_textFont = MakeFont(L"Segoe UI", Scale(12));
  m_headingFont = MakeFont(L"Segoe UI Semibold", Scale(12), true);
  m_buttonFont = MakeFont(L"Segoe UI Semibold", Scale(12), true);
}

void TScheduleSettingsPage::Apply(const TScheduleSettingsView& view) {
  const TScheduleSettingsView* shown = m_shown ? &*m_shown : nullptr;
  if (!shown || shown->title != view.title) SetWindowTextUtf8(m_title, view.title);
  if (!shown || shown->cycleCaption != view.cycleCaption) SetWindowTextUtf8(m_cycleGroup, view.cycleCaption);
  for (size_t i = 0; i < QV_CYCLE_COUNT; ++i) {
    if (!shown || shown->cycles[i] != view.cycles[i]) SetWindowTextUtf8(m_cycles[i], view.cycles[i]);
    if (!shown || shown->cycle != view.cycle) SetChecked(m_cycles[i], static_cast<int>(i) == view.cycle);
    if (!shown || shown->cycleEnabled != view.cycleEnabled) EnableWindow(m_cycles[i], view.cycleEnabled);
  }
  if (!shown || shown->cycleEnabled != view.cycleEnabled) EnableWindow(m_cycleGroup, view.cycleEnabled);
  if (!shown || shown->stepsVisible != view.stepsVisible || shown->step != view.step)
    m_steps.Show(static_cast<size_t>(view.step), view.stepsVisible);
  m_steps.SetHeight(Scale(view.stepsHeight));
  for (size_t step = 0; step < QV_STEP_COUNT; ++step) {
    if (!shown || shown->headings[step] != view.headings[step]) SetWindowTextUtf8(m_headings[step], view.headings[step]);
    if (!shown || shown->startLabel != view.startLabel) SetWindowTextUtf8(m_startLabels[step], view.startLabel);
    if (!shown || shown->start != view.start) {
      SetPickerTime(m_dates[step], view.start);
      SetPickerTime(m_times[step], view.start);
    }
  }
  if (!shown || shown->start != view.start) PlacePickers();
  if (!shown || shown->daysLabel != view.daysLabel) SetWindowTextUtf8(m_daysLabel, view.daysLabel);
  for (size_t day = 0; day < QV_DAY_COUNT; ++day) {
    if (!shown || shown->dayNames[day] != view.dayNames[day]) {
      SetWindowTextUtf8(m_days[day], view.dayNames[day]);
      FitControlWidth(m_days[day], QV_DESIGN_DPI);
    }
    if (!shown || shown->days[day] != view.days[day]) SetChecked(m_days[day], view.days[day]);
  }
  if (!shown || shown->current != view.current) SetWindowTextUtf8(m_current, view.current);
  if (!shown || shown->save != view.save) {
    SetWindowTextUtf8(m_save.Handle(), view.save);
    FitControlWidth(m_save.Handle(), QV_DESIGN_DPI);
  }
  if (!shown || shown->saveEnabled != view.saveEnabled) SetButtonEnabled(m_save, view.saveEnabled);
  m_shown = view;
}

void TScheduleSettingsPage::OnCommand(int id, int code, HWND control) {
  if (code != BN_CLICKED) return;
  if (id >= idCycleFirst && id < idCycleFirst + static_cast<int>(QV_CYCLE_COUNT)) {
    if (IsChecked(control) && m_events.cycleClicked) m_events.cycleClicked(id - idCycleFirst);
  } else if (id >= idDayFirst && id < idDayFirst + static_cast<int>(QV_DAY_COUNT)) {
    if (m_events.dayClicked) m_events.dayClicked(static_cast<size_t>(id - idDayFirst), IsChecked(control));
  } else if (id == idSaveSchedule && m_events.save) {
    m_events.save();
  }
}

bool TScheduleSettingsPage::OnNotify(const NMHDR& header) {
  if (header.code != DTN_DATETIMECHANGE) return false;
  const auto& change = reinterpret_cast<const NMDATETIMECHANGE&>(header);
  if (change.dwFlags != GDT_VALID) return false;
  const TLocalTime picked{change.st.wYear, change.st.wMonth, change.st.wDay,
                          change.st.wHour, change.st.wMinute, change.st.wSecond};
  const int id = static_cast<int>(header.idFrom);
  if (id >= idDatePickerFirst && id < idDatePickerFirst + static_cast<int>(QV_STEP_COUNT) && m_events.datePicked)
    m_events.datePicked(picked);
  if (id >= idTimePickerFirst && id < idTimePickerFirst + static_cast<int>(QV_STEP_COUNT) && m_events.timePicked)
    m_events.timePicked(picked);
  return true;
}

void TScheduleSettingsPage::OnDpiChanged(int, const RECT*) {
  MakeFonts();
  SetFonts();
  Layout();
}

void TScheduleSettingsPage::SetFonts() {
  auto set = [](HWND control, HFONT font) { SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); };
  set(m_title, m_titleFont.Get());
  for (HWND control : m_headings) set(control, m_headingFont.Get());
  for (const auto* group : {&m_startLabels, &m_dates, &m_times})
    for (HWND control : *group) set(control, m_textFont.Get());
  for (HWND control : m_cycles) set(control, m_textFont.Get());
  for (HWND control : m_days) set(control, m_textFont.Get());
  for (HWND control : {m_cycleGroup, m_daysLabel, m_current}) set(control, m_textFont.Get());
  m_save.SetFont(m_buttonFont.Get());
}
