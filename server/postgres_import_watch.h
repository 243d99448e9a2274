// Hears of imports into a shared PostgreSQL catalog: LISTENs on a connection of its own,
// in a thread of its own, and connects again after a second when the connection drops.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "catalog.h"

namespace qvserver {

// The channel every import NOTIFYs on commit.
inline constexpr const char* kImportChannel = "quorvane_imports";

class PostgresImportWatch final : public ImportWatch {
 public:
  // on_import runs on the watch's thread: after each notification, and after each
  // (re)connection for the imports the watch may have missed.
  PostgresImportWatch(std::string url, std::function<void()> on_import);
  ~PostgresImportWatch() override;
  PostgresImportWatch(const PostgresImportWatch&) = delete;
  PostgresImportWatch& operator=(const PostgresImportWatch&) = delete;

 private:
  void run();
  void listen_until_lost();
  // Waits up to timeout_ms for the socket (or only for the stop when socket is -1);
  // false when the watch is stopping.
  bool wait(int socket, int timeout_ms, bool& readable);

  std::string url_;
  std::function<void()> on_import_;
  std::atomic<bool> stopping_{false};
  int wake_[2] = {-1, -1};  // a pipe the destructor writes to, to end a wait at once
  std::thread thread_;
};

}  // namespace qvserver
