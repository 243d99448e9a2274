#include "ui/worker_task.h"

#include <exception>

TWorkerTask::TWorkerTask(TCallbackDispatcher& dispatcher, std::function<void()> body,
                         std::function<void()> completion)
    : m_thread([this, &dispatcher, body = std::move(body), completion = std::move(completion)] {
        try {
          body();
        } catch (const std::exception& error) {
          m_failure = error.what();
        } catch (...) {
          m_failure = std::string();
        }
        dispatcher.Send(completion);
        std::lock_guard lock(m_endLock);
        m_ended = true;
        m_endSignal.notify_all();
      }) {}

TWorkerTask::~TWorkerTask() { Join(); }

bool TWorkerTask::WaitEnded(std::chrono::milliseconds limit) {
  std::unique_lock lock(m_endLock);
  return m_endSignal.wait_for(lock, limit, [this] { return m_ended || !m_thread.joinable(); });
}

void TWorkerTask::Join() {
  if (!m_thread.joinable()) return;
  if (m_thread.get_id() == std::this_thread::get_id()) {
    m_thread.detach();  // the worker cannot wait for itself
  } else {
    m_thread.join();
  }
}
