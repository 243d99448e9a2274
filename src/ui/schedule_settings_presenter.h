// The schedule settings page: the cycle choice and the page it shows, the start
// date and time the three pages share, the weekdays, the schedule read back from
// the Task Scheduler, and what Save registers or deletes. Questions and the
// general page's "scan at start" box go through the window (IScheduleSettingsHost).
#pragma once

#include <array>
#include <memory>
#include <string>

#include "core/data_model.h"

// The cycle choice's items, in order; the first three are also pcSteps' pages.
enum TScheduleCycle : int { cycDaily, cycWeekly, cycOnce, cycNever };
inline constexpr size_t QV_CYCLE_COUNT = 4;
inline constexpr size_t QV_STEP_COUNT = 3;
// The page switcher's height (logical pixels): the weekly page holds the days.
inline constexpr int QV_STEPS_HEIGHT_WEEKLY = 300;
inline constexpr int QV_CYCLE_GROUP_HEIGHT = 150;
// The day boxes, Monday to Sunday as the weekly page shows them.
inline constexpr size_t QV_DAY_COUNT = 7;

struct TScheduleSettingsView {
  std::string title;
  std::string cycleCaption;
  std::array<std::string, QV_CYCLE_COUNT> cycles;
  int cycle = cycNever;
  bool cycleEnabled = true;
  bool stepsVisible = false;
  int stepsHeight = QV_CYCLE_GROUP_HEIGHT;
  int step = cycDaily;
  std::array<std::string, QV_STEP_COUNT> headings;
  std::string startLabel;
  // The start every date and time picker shows.
  TLocalTime start;
  std::string daysLabel;
  std::array<std::string, QV_DAY_COUNT> dayNames;
  std::array<bool, QV_DAY_COUNT> days{};
  std::string current;
  std::string save;
  bool saveEnabled = false;

  bool operator==(const TScheduleSettingsView&) const = default;
};

class IScheduleSettingsHost {
 public:
  virtual ~IScheduleSettingsHost() = default;
  // A message box of the program; the button pressed.
  virtual int Ask(const std::string& title, const std::string& text, int kind) = 0;
  // The schedule's question switched scan at program start on and saved it:
  // the general page checks its box.
  virtual void RunScanAtStartStored() = 0;
};

// The weekday bit (Sunday 1 ... Saturday 64) of a day box, Monday first.
int16_t WeekdayBitOfBox(size_t box);

class TScheduleSettingsPresenter {
 public:
  TScheduleSettingsPresenter(TDriverDatamodel& model, TSystemPorts ports, IScheduleSettingsHost& host);

  // The texts again, "Never" chosen by the program, "Schedule: ", Save disabled.
  void Load();
  TScheduleSettingsView View() const;

  // The page is shown: the schedule is read back, and Save is disabled.
  void Show();
  // The user chose a cycle: its page is shown and Save enabled.
  void CycleClicked(int cycle);
  // A picker changed: every picker shows it. Neither enables Save.
  void SyncDates(int year, int month, int day);
  void SyncTimes(int hour, int minute);
  void DayClicked(size_t box, bool checked);
  // Registers the chosen schedule or deletes it ("Never"), then asks to switch
  // on the scan at program start when it is off.
  void Save();

 private:
  std::string Text(int id) const { return m_ports.strings.Load(id); }
  // rgCycleClick: the program's own change (FsetSchedule) does not enable Save.
  void CycleChanged(int cycle);
  void ShowCurrentSchedule();
  void StoreSettings();

  TDriverDatamodel& m_model;
  TSystemPorts m_ports;
  IScheduleSettingsHost& m_host;
  bool FsetSchedule = true;
  std::unique_ptr<TWinTask> Ftd;
  int m_cycle = cycNever;
  bool m_cycleEnabled = true;
  TLocalTime m_start;
  std::array<bool, QV_DAY_COUNT> m_days{};
  std::string m_current;
  bool m_saveEnabled = false;
};
