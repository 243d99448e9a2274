// The match index of a catalog, reloaded when the catalog changes.
#include "live_match_index.h"

namespace qvserver {

LiveMatchIndex::LiveMatchIndex(Catalog& catalog, std::chrono::milliseconds recheck)
    : catalog_(catalog),
      recheck_(recheck),
      index_(MatchIndex::load(catalog)) {}

std::shared_ptr<const MatchIndex> LiveMatchIndex::loaded() const {
  std::lock_guard lock(swap_mutex_);
  return index_;
}

std::shared_ptr<const MatchIndex> LiveMatchIndex::current() {
  auto index = loaded();
  if (recheck_.count() > 0) {
    auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    if (now < next_check_.load()) return index;
    next_check_ = now + recheck_.count();
  }
  return refresh();
}

std::shared_ptr<const MatchIndex> LiveMatchIndex::refresh() {
  const std::int64_t version = catalog_.version();
  auto index = loaded();
  if (index->version() == version) return index;
  std::lock_guard reload(reload_mutex_);
  index = loaded();
  if (index->version() == version) return index;  // another caller reloaded it
  auto fresh = MatchIndex::load(catalog_);
  std::lock_guard lock(swap_mutex_);
  index_ = fresh;
  return fresh;
}

}  // namespace qvserver
