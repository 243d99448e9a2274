// The match index of a catalog kept current: rebuilt when the catalog's version has
// moved (an import in this process or another) and swapped in whole, so a scan uses
// one index from its start to its end and never sees half an import.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>

#include "match_index.h"

namespace qvserver {

class LiveMatchIndex {
 public:
  // Loads the index at once. The catalog's import counter is asked at most once per
  // recheck interval; zero asks on every call.
  LiveMatchIndex(Catalog& catalog, std::chrono::milliseconds recheck);

  // The index of the catalog as it is now (or as it was at most one recheck interval
  // ago): reloaded first when an import has been committed since the last load.
  // Concurrent callers each ask the counter and wait for one reload.
  std::shared_ptr<const MatchIndex> current();
  // The same, asking the catalog now whatever the recheck interval: for a notice that
  // an import was committed.
  std::shared_ptr<const MatchIndex> refresh();
  // The index last loaded, without asking the catalog.
  std::shared_ptr<const MatchIndex> loaded() const;

 private:
  Catalog& catalog_;
  std::chrono::steady_clock::duration recheck_;
  std::atomic<std::chrono::steady_clock::rep> next_check_{0};  // steady clock ticks
  std::mutex reload_mutex_;
  mutable std::mutex swap_mutex_;
  std::shared_ptr<const MatchIndex> index_;
};

}  // namespace qvserver
