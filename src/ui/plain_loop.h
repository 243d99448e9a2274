// TPlainLoop: the UI-thread port as a plain loop of closures, for the console and
// tests. The thread that creates it is its UI thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "ui/ui_thread_port.h"

class TPlainLoop : public IUiThreadPort {
 public:
  TPlainLoop() : m_owner(std::this_thread::get_id()) {}

  bool Post(std::function<void()> work) override;
  bool IsUiThread() const override { return std::this_thread::get_id() == m_owner; }

  // Runs posted closures until done() is true; done() is asked after each batch
  // and at least every poll, so a flag set by another thread is seen.
  void RunUntil(const std::function<bool()>& done, std::chrono::milliseconds poll);
  // Runs the closures posted so far; returns how many ran.
  size_t RunPending();
  // Refuses every later Post; what is queued is freed.
  void Close();

 private:
  std::thread::id m_owner;
  std::mutex m_mutex;
  std::condition_variable m_posted;
  std::deque<std::function<void()>> m_queue;
  bool m_closed = false;
};
