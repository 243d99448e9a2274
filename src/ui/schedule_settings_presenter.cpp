#include "ui/schedule_settings_presenter.h"

#include <exception>

#include "core/message_box_kinds.h"
#include "res/string_ids.h"
#include "schedule/task_time.h"
#include "schedule/trigger_text.h"

namespace {

constexpr int CYCLE_NAMES[QV_CYCLE_COUNT] = {IDS_CYCLE_DAILY, IDS_CYCLE_WEEKLY, IDS_CYCLE_ONCE, IDS_CYCLE_NEVER};
constexpr int STEP_HEADINGS[QV_STEP_COUNT] = {IDS_DAILY_HEADING, IDS_WEEKLY_HEADING, IDS_ONCE_HEADING};

TScanCycle ScanCycleOf(int cycle) {
  switch (cycle) {
    case cycDaily: return scDaily;
    case cycWeekly: return scWeekly;
    case cycOnce: return scOnce;
    default: return scNever;
  }
}

TTaskTriggerType TriggerTypeOf(TScanCycle cycle) {
  return cycle == scDaily ? ttDaily : cycle == scWeekly ? ttWeekly : ttTime;
}

}  // namespace

int16_t WeekdayBitOfBox(size_t box) {
  return box + 1 < QV_DAY_COUNT ? static_cast<int16_t>(WEEKDAY_MONDAY << box) : WEEKDAY_SUNDAY;
}

TScheduleSettingsPresenter::TScheduleSettingsPresenter(TDriverDatamodel& model, TSystemPorts ports,
                                                       IScheduleSettingsHost& host)
    : m_model(model), m_ports(ports), m_host(host), m_start(ports.locale.LocalNow()) {}

void TScheduleSettingsPresenter::Load() {
  CycleChanged(cycNever);
  m_current = Text(IDS_SCHEDULE_LABEL);
  m_saveEnabled = false;
}

TScheduleSettingsView TScheduleSettingsPresenter::View() const {
  TScheduleSettingsView view;
  view.title = Text(IDS_CARD_SCHEDULE);
  view.cycleCaption = Text(IDS_CYCLE_CAPTION);
  for (size_t i = 0; i < QV_CYCLE_COUNT; ++i) view.cycles[i] = Text(CYCLE_NAMES[i]);
  view.cycle = m_cycle;
  view.cycleEnabled = m_cycleEnabled;
  view.stepsVisible = m_cycle != cycNever;
  view.stepsHeight = m_cycle == cycWeekly ? QV_STEPS_HEIGHT_WEEKLY : QV_CYCLE_GROUP_HEIGHT;
  view.step = m_cycle != cycNever ? m_cycle : cycDaily;
  for (size_t i = 0; i < QV_STEP_COUNT; ++i) view.headings[i] = Text(STEP_HEADINGS[i]);
  view.startLabel = Text(IDS_START_LABEL);
  view.start = m_start;
  view.daysLabel = Text(IDS_WEEKDAYS_LABEL);
  for (size_t i = 0; i < QV_DAY_COUNT; ++i) {
    const int dayOfWeek = i + 1 < QV_DAY_COUNT ? static_cast<int>(i) + 1 : 0;
    view.dayNames[i] = m_ports.locale.LongDayName(dayOfWeek);
  }
  view.days = m_days;
  view.current = m_current;
  view.save = Text(IDS_SAVE_CAPTION);
  view.saveEnabled = m_saveEnabled;
  return view;
}

void TScheduleSettingsPresenter::Show() {
  FsetSchedule = true;
  m_saveEnabled = false;
  ShowCurrentSchedule();
  FsetSchedule = false;
}

void TScheduleSettingsPresenter::CycleClicked(int cycle) {
  if (cycle < 0 || cycle >= static_cast<int>(QV_CYCLE_COUNT) || cycle == m_cycle || !m_cycleEnabled) return;
  CycleChanged(cycle);
}

void TScheduleSettingsPresenter::CycleChanged(int cycle) {
  m_cycle = cycle;
  if (FsetSchedule)
    FsetSchedule = false;
  else
    m_saveEnabled = true;
}

void TScheduleSettingsPresenter::SyncDates(int year, int month, int day) {
  m_start.year = year;
  m_start.month = month;
  m_start.day = day;
}

void TScheduleSettingsPresenter::SyncTimes(int hour, int minute) {
  m_start.hour = hour;
  m_start.minute = minute;
  m_start.second = 0;
}

void TScheduleSettingsPresenter::DayClicked(size_t box, bool checked) {
  if (box < QV_DAY_COUNT) m_days[box] = checked;
}

void TScheduleSettingsPresenter::ShowCurrentSchedule() {
  m_current = Text(IDS_SCHEDULED) + Text(IDS_NO_SCHEDULE);
  if (!m_model.CanSchedule() || m_model.Tasks() == nullptr) {
    m_cycleEnabled = false;
    return;
  }
  m_cycleEnabled = true;
  const TLocalTime now = m_ports.locale.LocalNow();
  std::optional<TScheduledTask> task =
      LoadScheduledTask(*m_model.Tasks(), m_model.GetAppName() + TASK_SUFFIX_SCHEDULED_SCAN, now);
  if (!task) {
    m_start = now;
    return;
  }
  Ftd = std::move(task->definition);
  if (!task->trigger) return;
  m_start = task->start;
  // Choosing the item already chosen is no change at all.
  auto select = [this](int cycle) {
    if (cycle != m_cycle) CycleChanged(cycle);
  };
  switch (task->trigger->type) {
    case ttTime: select(cycOnce); break;
    case ttDaily: select(cycDaily); break;
    case ttWeekly:
      select(cycWeekly);
      for (size_t i = 0; i < QV_DAY_COUNT; ++i) m_days[i] = (task->trigger->daysOfWeek & WeekdayBitOfBox(i)) != 0;
      break;
    default: break;
  }
  m_current = Text(IDS_SCHEDULED) + DescribeTrigger(*task->trigger, task->start, m_ports.locale, m_ports.strings);
}

void TScheduleSettingsPresenter::Save() {
  const std::string failed = Text(IDS_SCHEDULE_FAILED);
  TScanSchedule schedule;
  schedule.cycle = ScanCycleOf(m_cycle);
  if (schedule.cycle == scNever) {
    // A task that could not be deleted is still scheduled, so the label keeps it.
    if (m_model.SaveScheduledScan(schedule)) {
      Ftd.reset();
      m_current = Text(IDS_SCHEDULED) + Text(IDS_NO_SCHEDULE);
    } else {
      m_host.Ask(m_model.GetAppName(), failed, QV_KIND_SERVER_ERROR);
    }
    m_saveEnabled = false;
    return;
  }

  schedule.start = m_start;
  for (size_t i = 0; i < QV_DAY_COUNT; ++i)
    if (m_days[i]) schedule.daysOfWeek |= WeekdayBitOfBox(i);
  if (m_model.SaveScheduledScan(schedule, Ftd.get())) {
    TTriggerFacts trigger;
    trigger.type = TriggerTypeOf(schedule.cycle);
    const TLocalTime start = RoundToMinute(schedule.start);
    trigger.startBoundary = TaskDateTime(start);
    if (trigger.type == ttWeekly) trigger.daysOfWeek = schedule.daysOfWeek != 0 ? schedule.daysOfWeek : WEEKDAY_MONDAY;
    m_current = Text(IDS_SCHEDULED) + DescribeTrigger(trigger, start, m_ports.locale, m_ports.strings);
  } else {
    m_host.Ask(m_model.GetAppName(), failed, QV_KIND_SERVER_ERROR);
  }
  m_saveEnabled = false;

  if (!m_model.RunScanAtStart() &&
      m_host.Ask(m_model.GetAppName(), Text(IDS_SCAN_AT_START_QUESTION), QV_KIND_YES_NO) == ID_YES) {
    m_model.SetRunScanAtStart(true);
    StoreSettings();
    m_host.RunScanAtStartStored();
  }
}

void TScheduleSettingsPresenter::StoreSettings() {
  try {
    m_model.DumpSettings();
  } catch (const std::exception& error) {
    m_host.Ask(m_model.GetAppName(), error.what(), QV_KIND_ERROR);
  }
}
