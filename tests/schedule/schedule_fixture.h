// A data model on a simulated machine with a fixed clock (Monday 2024-03-04 10:20:30)
// and the simulated Task Scheduler's tasks at hand.
#pragma once

#include <gtest/gtest.h>

#include "support/sim_data_model.h"

class TScheduleFixture : public ::testing::Test, public TSimDataModelFixture {
 public:
  TScheduleFixture() { machine.locale.fixedTime = TLocalTime{2024, 3, 4, 10, 20, 30}; }

  TSimTaskScheduler& Scheduler() { return machine.scheduler; }
  const TSimTask* Task(const std::string& name) { return machine.scheduler.Find(name); }
  static std::shared_ptr<TSimTrigger> SimTrigger(int32_t type) {
    auto trigger = std::make_shared<TSimTrigger>();
    trigger->type = type;
    return trigger;
  }
  // A registered task with a time trigger and one exec action.
  void AddTask(const std::string& name) {
    TSimTask task{name, {}, TASK_FLAG_CREATE_OR_UPDATE, ltToken};
    task.definition.triggers.push_back(SimTrigger(ttTime));
    task.definition.actions.push_back(std::make_shared<TSimAction>(TSimAction{taExec, "C:\\old.exe", "/old"}));
    machine.scheduler.tasks.push_back(task);
  }
};
