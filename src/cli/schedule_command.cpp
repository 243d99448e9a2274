#include "cli/schedule_command.h"

#include <algorithm>
#include <ostream>

#include "cli/commands.h"
#include "core/data_model.h"
#include "core/errors.h"
#include "res/string_ids.h"
#include "schedule/trigger_text.h"

namespace {

constexpr const char* USAGE =
    "usage: schedule [daily DATE TIME | weekly DAYS DATE TIME | once DATE TIME | never]";
constexpr const char* DAY_NAMES[] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};

int Number(const std::string& text, size_t pos, size_t count) {
  if (pos + count > text.size()) throw EQvError(USAGE);
  int value = 0;
  for (size_t i = pos; i < pos + count; ++i) {
    if (text[i] < '0' || text[i] > '9') throw EQvError(USAGE);
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

// DATE "yyyy-mm-dd" and TIME "hh:mm" or "hh:mm:ss".
TLocalTime ParseStart(const std::string& date, const std::string& time) {
  if (date.size() != 10 || date[4] != '-' || date[7] != '-') throw EQvError(USAGE);
  if ((time.size() != 5 && time.size() != 8) || time[2] != ':' || (time.size() == 8 && time[5] != ':'))
    throw EQvError(USAGE);
  TLocalTime start{Number(date, 0, 4), Number(date, 5, 2), Number(date, 8, 2), Number(time, 0, 2), Number(time, 3, 2),
                   time.size() == 8 ? Number(time, 6, 2) : 0};
  if (start.month < 1 || start.month > 12 || start.day < 1 || start.day > 31 || start.hour > 23 || start.minute > 59 ||
      start.second > 59)
    throw EQvError(USAGE);
  return start;
}

// DAYS: "mon,fri", three-letter English names.
int16_t ParseDays(const std::string& text) {
  int16_t days = 0;
  size_t pos = 0;
  while (pos <= text.size()) {
    const size_t end = std::min(text.find(',', pos), text.size());
    const std::string name = text.substr(pos, end - pos);
    int day = 0;
    while (day < 7 && name != DAY_NAMES[day]) ++day;
    if (day == 7) throw EQvError(USAGE);
    days = static_cast<int16_t>(days | (1 << day));
    pos = end + 1;
  }
  return days;
}

TScanSchedule ParseSchedule(const std::vector<std::string>& arguments) {
  TScanSchedule schedule;
  const std::string& cycle = arguments[0];
  if (cycle == "never" && arguments.size() == 1) return schedule;
  if ((cycle == "daily" || cycle == "once") && arguments.size() == 3) {
    schedule.cycle = cycle == "daily" ? scDaily : scOnce;
    schedule.start = ParseStart(arguments[1], arguments[2]);
    return schedule;
  }
  if (cycle == "weekly" && arguments.size() == 4) {
    schedule.cycle = scWeekly;
    schedule.daysOfWeek = ParseDays(arguments[1]);
    schedule.start = ParseStart(arguments[2], arguments[3]);
    return schedule;
  }
  throw EQvError(USAGE);
}

void PrintLogonTask(TWinTaskScheduler& tasks, const std::string& name, std::ostream& out) {
  out << name << ": ";
  if (!tasks.RootFolder().Exists(name)) {
    out << "not registered\n";
    return;
  }
  std::unique_ptr<TWinTask> task = tasks.RootFolder().GetTask(name);
  std::optional<bool> enabled = task ? task->Settings().Enabled() : std::nullopt;
  out << (!enabled ? "registered" : *enabled ? "enabled" : "disabled") << "\n";
}

void PrintSchedule(TDriverDatamodel& model, const TCliContext& context) {
  if (!model.CanSchedule()) {
    context.out << "Task Scheduler: not available\n";
    return;
  }
  context.out << "Task Scheduler: available\n";
  PrintLogonTask(*model.Tasks(), model.GetAppName(), context.out);
  PrintLogonTask(*model.Tasks(), model.GetAppName() + TASK_SUFFIX_ONCE, context.out);
  context.out << context.ports.strings.Load(IDS_SCHEDULED);
  if (auto reading = model.ReadScheduledScan())
    context.out << DescribeTrigger(reading->trigger, reading->schedule.start, context.ports.locale,
                                   context.ports.strings);
  else
    context.out << "never";
  context.out << "\n";
}

}  // namespace

int RunScheduleCommand(const std::vector<std::string>& arguments, const TCliContext& context) {
  std::optional<TScanSchedule> schedule;
  if (!arguments.empty()) schedule = ParseSchedule(arguments);
  TDriverDatamodel model(context.ports);
  if (schedule && !model.SaveScheduledScan(*schedule)) {
    context.err << context.ports.strings.Load(IDS_SCHEDULE_FAILED) << "\n";
    PrintSchedule(model, context);
    return QVCLI_SERVER_PROBLEM;
  }
  PrintSchedule(model, context);
  return QVCLI_OK;
}
