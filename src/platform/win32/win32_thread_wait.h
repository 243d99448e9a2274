// Thread-wait port over Win32: the work on a new thread, the caller dispatching its
// messages until the thread's handle is signalled.
#pragma once

#include "platform/thread_wait.h"

class TWin32ThreadWait : public IThreadWait {
 public:
  void RunAndWait(const std::function<void()>& work) override;
};
