// Thread-wait port without a window system: the work runs on a thread that is joined.
#pragma once

#include <thread>

#include "platform/thread_wait.h"

class TJoiningThreadWait : public IThreadWait {
 public:
  void RunAndWait(const std::function<void()>& work) override { std::thread(work).join(); }
};
