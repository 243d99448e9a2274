// Thread-wait port: runs work on a thread of its own while the calling (user-interface)
// thread waits for it and keeps its window messages flowing.
#pragma once

#include <functional>

class IThreadWait {
 public:
  virtual ~IThreadWait() = default;
  // Returns when work has ended on its thread. Meanwhile the calling thread's messages are
  // dispatched (Win32: MsgWaitForMultipleObjects on the thread with QS_ALLINPUT). Raises
  // std::system_error when the thread cannot be started or the wait fails. work must not throw.
  virtual void RunAndWait(const std::function<void()>& work) = 0;
};
