// One catalog-version query shared by concurrent callers.
#include "shared_version_check.h"

namespace qvserver {

std::int64_t SharedVersionCheck::version() {
  std::unique_lock lock(mutex_);
  // A query running now may have read the counter before this call: only a later one counts.
  const std::uint64_t needed = started_ + 1;
  while (finished_ < needed) {
    if (running_) {
      finished_check_.wait(lock);
      continue;
    }
    running_ = true;
    const std::uint64_t number = ++started_;
    lock.unlock();
    std::int64_t version = 0;
    std::exception_ptr error;
    try {
      version = ask_();
    } catch (...) {
      error = std::current_exception();
    }
    lock.lock();
    running_ = false;
    finished_ = number;
    version_ = version;
    error_ = error;
    finished_check_.notify_all();
  }
  if (error_) std::rethrow_exception(error_);
  return version_;
}

}  // namespace qvserver
