// LISTEN for imports into a shared PostgreSQL catalog.
#include "postgres_import_watch.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

#include "postgres_db.h"

namespace qvserver {

namespace {

constexpr int kReconnectMs = 1000;

}  // namespace

PostgresImportWatch::PostgresImportWatch(std::string url, std::function<void()> on_import)
    : url_(std::move(url)), on_import_(std::move(on_import)) {
  if (::pipe2(wake_, O_CLOEXEC) != 0) throw std::runtime_error("cannot make the import watch's pipe");
  thread_ = std::thread([this] { run(); });
}

PostgresImportWatch::~PostgresImportWatch() {
  stopping_ = true;
  char byte = 0;
  [[maybe_unused]] auto written = ::write(wake_[1], &byte, 1);
  thread_.join();
  ::close(wake_[0]);
  ::close(wake_[1]);
}

bool PostgresImportWatch::wait(int socket, int timeout_ms, bool& readable) {
  pollfd fds[2] = {{wake_[0], POLLIN, 0}, {socket, POLLIN, 0}};
  int ready = ::poll(fds, socket < 0 ? 1 : 2, timeout_ms);
  readable = ready > 0 && socket >= 0 && (fds[1].revents & (POLLIN | POLLERR | POLLHUP)) != 0;
  if (ready < 0 && errno != EINTR) readable = true;  // let the connection report what is wrong
  return !stopping_;
}

void PostgresImportWatch::listen_until_lost() {
  PgConnection db(url_);
  db.exec(std::string("LISTEN ") + kImportChannel);
  on_import_();  // imports committed before the LISTEN took effect
  bool readable = false;
  while (wait(db.socket(), -1, readable)) {
    if (!readable) continue;
    int count = 0;
    bool alive = db.take_notifications(count);
    if (count > 0) on_import_();
    if (!alive) return;
  }
}

void PostgresImportWatch::run() {
  while (!stopping_) {
    try {
      listen_until_lost();
    } catch (const std::exception&) {
      // The catalog cannot be reached, or asking it failed: the scans' own check of the
      // import counter carries on meanwhile, and the watch tries again.
    }
    bool readable = false;
    if (!wait(-1, kReconnectMs, readable)) return;
  }
}

}  // namespace qvserver
