// The catalog's targets in memory, keyed by lower-cased hardware id, so a scan is
// answered without the database. Built from one catalog snapshot, then never changed.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalog.h"

namespace qvserver {

class MatchIndex {
 public:
  // Reads the whole catalog in one read transaction.
  static std::shared_ptr<const MatchIndex> load(Catalog& catalog);

  // Appends the drivers serving key (already lower-cased) on the architecture and OS version.
  void find(const std::string& key, std::string_view architecture, int os_version,
            std::vector<const DriverOffer*>& found) const;

  std::int64_t version() const { return version_; }
  std::chrono::steady_clock::time_point loaded_at() const { return loaded_at_; }
  std::size_t driver_count() const { return drivers_.size(); }
  std::size_t target_count() const { return target_count_; }

 private:
  struct Target {
    std::uint32_t driver = 0;  // index into drivers_
    int os_min = 0;
    int os_max = 0;
    std::string architecture;
  };

  std::int64_t version_ = 0;
  std::chrono::steady_clock::time_point loaded_at_;
  std::vector<DriverOffer> drivers_;
  std::unordered_map<std::string, std::vector<Target>> targets_;
  std::size_t target_count_ = 0;
};

}  // namespace qvserver
