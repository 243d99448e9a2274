// Sets one of the engine's busy flags for the length of a run; cleared on every way out.
#pragma once

#include <atomic>

class TBusyFlag {
 public:
  explicit TBusyFlag(std::atomic<bool>& flag) : m_flag(flag) { m_flag = true; }
  ~TBusyFlag() { m_flag = false; }
  TBusyFlag(const TBusyFlag&) = delete;
  TBusyFlag& operator=(const TBusyFlag&) = delete;

 private:
  std::atomic<bool>& m_flag;
};
