// TCallbackDispatcher: moves work from worker threads to the UI thread, queued (the
// worker goes on) or synchronously (the worker waits), in one posting order.
#pragma once

#include <functional>
#include <memory>

#include "ui/ui_thread_port.h"

class TCallbackDispatcher {
 public:
  explicit TCallbackDispatcher(IUiThreadPort& port);
  ~TCallbackDispatcher();
  TCallbackDispatcher(const TCallbackDispatcher&) = delete;
  TCallbackDispatcher& operator=(const TCallbackDispatcher&) = delete;

  // Appends work to the pending queue and returns at once; false when it was dropped.
  bool Queue(std::function<void()> work);
  // Appends work and waits until the UI thread has run it, after everything posted
  // before it; false when it was dropped (shutdown, or the port refused it).
  bool Send(std::function<void()> work);
  // From now on nothing runs: pending work is freed, later work dropped, and
  // workers waiting in Send are released.
  void Shutdown();
  // The UI thread it delivers to, for a dispatcher of one's own on the same thread.
  IUiThreadPort& Port() const { return m_port; }

 private:
  struct TState;
  bool Post(std::function<void()> work, bool wait);

  IUiThreadPort& m_port;
  std::shared_ptr<TState> m_state;  // shared with the wake-ups sitting in the port
};
