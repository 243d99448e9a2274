// The catalog's import counter asked once for all the scans that arrive together: a
// caller waits for the first query that started after it arrived, whichever caller runs
// it, so it sees every import committed before it arrived, while concurrent callers share
// one query instead of queueing one by one for the catalog's connection.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>

namespace qvserver {

class SharedVersionCheck {
 public:
  explicit SharedVersionCheck(std::function<std::int64_t()> ask) : ask_(std::move(ask)) {}

  // The counter as a query started after this call answered it; raises what that query
  // raised.
  std::int64_t version();

 private:
  std::function<std::int64_t()> ask_;
  std::mutex mutex_;
  std::condition_variable finished_check_;
  bool running_ = false;
  std::uint64_t started_ = 0;   // queries started so far; one runs at a time
  std::uint64_t finished_ = 0;  // the number of the last one finished
  std::int64_t version_ = 0;    // its answer
  std::exception_ptr error_;    // or its failure
};

}  // namespace qvserver
