// The in-memory match index of the catalog.
#include "match_index.h"

namespace qvserver {

std::shared_ptr<const MatchIndex> MatchIndex::load(Catalog& catalog) {
  auto index = std::make_shared<MatchIndex>();
  std::unordered_map<std::int64_t, std::uint32_t> position;  // catalog driver id → drivers_
  index->version_ = catalog.read_all(
      [&](std::int64_t driver_id, DriverOffer offer) {
        position.emplace(driver_id, static_cast<std::uint32_t>(index->drivers_.size()));
        index->drivers_.push_back(std::move(offer));
      },
      [&](std::int64_t driver_id, const InfTarget& target) {
        auto driver = position.find(driver_id);
        if (driver == position.end()) return;  // a target without its driver serves nothing
        index->targets_[target.hardware_id].push_back(
            Target{driver->second, target.os_min, target.os_max, target.architecture});
        ++index->target_count_;
      });
  index->loaded_at_ = std::chrono::steady_clock::now();
  return index;
}

void MatchIndex::find(const std::string& key, std::string_view architecture, int os_version,
                      std::vector<const DriverOffer*>& found) const {
  auto entry = targets_.find(key);
  if (entry == targets_.end()) return;
  for (const auto& target : entry->second) {
    if (target.architecture == architecture && target.os_min <= os_version && os_version < target.os_max)
      found.push_back(&drivers_[target.driver]);
  }
}

}  // namespace qvserver
