#include "ui/callback_dispatcher.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

namespace {

struct TPendingWork {
  uint64_t sequence = 0;
  std::function<void()> work;
  bool waited = false;  // a Send: its worker waits for done
};

}  // namespace

struct TCallbackDispatcher::TState {
  std::mutex mutex;
  std::condition_variable ran;
  std::deque<TPendingWork> pending;
  uint64_t nextSequence = 0;
  uint64_t doneUpTo = 0;  // every sequence below this has run or was dropped
  bool closed = false;
  bool draining = false;
  // One wake-up at a time sits in the port: posted when the queue gains work with
  // none outstanding, so a burst of notifications never fills the thread's queue.
  bool wakeUpPosted = false;

  void WakeUp() {
    {
      std::lock_guard lock(mutex);
      wakeUpPosted = false;
    }
    RunPending();
  }

  // Runs pending work in posting order on the UI thread. A nested call (a modal
  // loop inside a notification) leaves the queue to the outer one, keeping the order.
  void RunPending() {
    std::unique_lock lock(mutex);
    if (draining) return;
    draining = true;
    while (!pending.empty() && !closed) {
      TPendingWork item = std::move(pending.front());
      pending.pop_front();
      lock.unlock();
      try {
        item.work();
      } catch (...) {
        // A failing notification must neither stop the later ones nor keep its worker waiting.
      }
      item.work = nullptr;  // freed on the UI thread, before the worker is released
      lock.lock();
      doneUpTo = item.sequence + 1;
      ran.notify_all();
    }
    draining = false;
  }
};

TCallbackDispatcher::TCallbackDispatcher(IUiThreadPort& port) : m_port(port), m_state(std::make_shared<TState>()) {}

TCallbackDispatcher::~TCallbackDispatcher() { Shutdown(); }

bool TCallbackDispatcher::Queue(std::function<void()> work) { return Post(std::move(work), false); }

bool TCallbackDispatcher::Send(std::function<void()> work) {
  if (m_port.IsUiThread()) {
    // Already on the UI thread: run what came before, then this, in place.
    m_state->RunPending();
    std::unique_lock lock(m_state->mutex);
    if (m_state->closed) return false;
    lock.unlock();
    work();
    return true;
  }
  return Post(std::move(work), true);
}

bool TCallbackDispatcher::Post(std::function<void()> work, bool wait) {
  const std::shared_ptr<TState> state = m_state;
  uint64_t sequence = 0;
  bool postWakeUp = false;
  {
    std::lock_guard lock(state->mutex);
    if (state->closed) return false;
    sequence = state->nextSequence++;
    state->pending.push_back({sequence, std::move(work), wait});
    postWakeUp = !state->wakeUpPosted;
    state->wakeUpPosted = true;
  }
  if (postWakeUp && !m_port.Post([state] { state->WakeUp(); })) {
    // Not posted: take the work back unless an earlier wake-up already ran it.
    std::function<void()> dropped;
    std::unique_lock lock(state->mutex);
    state->wakeUpPosted = false;
    for (auto it = state->pending.begin(); it != state->pending.end(); ++it) {
      if (it->sequence != sequence) continue;
      dropped = std::move(it->work);
      state->pending.erase(it);
      lock.unlock();
      return false;  // dropped is freed here, outside the lock
    }
  }
  if (!wait) return true;
  std::unique_lock lock(state->mutex);
  state->ran.wait(lock, [&] { return state->doneUpTo > sequence || state->closed; });
  return state->doneUpTo > sequence;
}

void TCallbackDispatcher::Shutdown() {
  std::deque<TPendingWork> dropped;
  {
    std::lock_guard lock(m_state->mutex);
    if (m_state->closed) return;
    m_state->closed = true;
    dropped.swap(m_state->pending);
    m_state->ran.notify_all();
  }
}
