// The catalog's targets in memory, keyed by lower-cased hardware id, so a scan is
// answered without the database. Built from one catalog snapshot, then never changed.
// The keys sit in one open-addressed table of hashes: an id the catalog does not know,
// the common case of a scan, costs one probe of that table and no string comparison.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "catalog.h"

namespace qvserver {

class MatchIndex {
 public:
  // Reads the whole catalog in one read transaction.
  static std::shared_ptr<const MatchIndex> load(Catalog& catalog);

  // The hash of a key (already lower-cased) that prefetch and find take.
  static std::uint64_t hash(std::string_view key);
  // Starts loading the table entry of a hash into the processor's cache, so that a scan
  // asking for hundreds of ids waits for memory once rather than once per id.
  void prefetch(std::uint64_t hash) const;
  // The index's code for an architecture name, looked up once per scan; a name no target
  // serves gets a code that matches nothing.
  std::uint32_t architecture_code(std::string_view architecture) const;
  // Appends the drivers serving key (already lower-cased, with its hash) on the
  // architecture (its code) and OS version.
  void find(std::string_view key, std::uint64_t hash, std::uint32_t architecture, int os_version,
            std::vector<const DriverOffer*>& found) const;

  std::int64_t version() const { return version_; }
  std::chrono::steady_clock::time_point loaded_at() const { return loaded_at_; }
  std::size_t driver_count() const { return drivers_.size(); }
  std::size_t target_count() const { return targets_.size(); }

 private:
  // Small, so that a key's targets share few cache lines.
  struct Target {
    std::uint32_t driver = 0;        // index into drivers_
    std::uint32_t architecture = 0;  // index into architectures_
    int os_min = 0;
    int os_max = 0;
  };
  // One hardware id: its text in key_text_ and its targets, consecutive in targets_.
  struct Key {
    std::uint32_t text_offset = 0;
    std::uint32_t text_size = 0;
    std::uint32_t first = 0;
    std::uint32_t count = 0;
  };
  // A table entry, small so that the table stays in the processor's cache: part of the
  // key's hash, and the key's position in keys_ plus one (0: the entry is empty).
  struct Slot {
    std::uint32_t tag = 0;
    std::uint32_t key = 0;
  };

  const Key* key_of(std::string_view key, std::uint64_t hash) const;

  std::int64_t version_ = 0;
  std::chrono::steady_clock::time_point loaded_at_;
  std::vector<DriverOffer> drivers_;
  std::vector<Target> targets_;
  std::vector<std::string> architectures_;  // the few distinct names the targets use
  std::vector<Key> keys_;
  std::string key_text_;
  std::vector<Slot> slots_;  // a power of two long, at most half full
};

}  // namespace qvserver
