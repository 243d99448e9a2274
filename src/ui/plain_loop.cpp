#include "ui/plain_loop.h"

bool TPlainLoop::Post(std::function<void()> work) {
  {
    std::lock_guard lock(m_mutex);
    if (m_closed) return false;
    m_queue.push_back(std::move(work));
  }
  m_posted.notify_one();
  return true;
}

size_t TPlainLoop::RunPending() {
  std::deque<std::function<void()>> batch;
  {
    std::lock_guard lock(m_mutex);
    batch.swap(m_queue);
  }
  for (auto& work : batch) work();
  return batch.size();
}

void TPlainLoop::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds poll) {
  while (!done()) {
    if (RunPending() > 0) continue;
    std::unique_lock lock(m_mutex);
    m_posted.wait_for(lock, poll, [this] { return !m_queue.empty(); });
  }
}

void TPlainLoop::Close() {
  std::deque<std::function<void()>> dropped;
  std::lock_guard lock(m_mutex);
  m_closed = true;
  dropped.swap(m_queue);
}
