// Task-scheduler port over Win32: the service "schedule" through the service
// control manager, CoInitializeSecurity, and the Task Scheduler 2.0 objects
// (ITaskService and the interfaces it hands out), each held by a COM owner.
#pragma once

#include <memory>
#include <optional>

#include "platform/task_scheduler.h"
#include "platform/win32/win32_com.h"

class TWin32TaskScheduler : public ITaskSchedulerPort {
 public:
  std::optional<uint32_t> ServiceState() override;
  THResult InitializeSecurity(uint32_t authenticationLevel, uint32_t impersonationLevel) override;
  THResult CreateTaskService(std::unique_ptr<ITaskServicePort>& service) override;

 private:
  // COM stays initialised on the thread that first used the scheduler until the
  // machine goes, after every object the port handed out.
  void EnsureCom();
  std::optional<TComScope> m_com;
};
