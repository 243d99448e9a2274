// The catalog's targets in memory, keyed by lower-cased hardware id, so a scan is
// answered without the database. Built from one catalog snapshot, then never changed.
// The keys sit in one open-addressed table of hashes, behind a small filter of hash bits:
// an id the catalog does not know, the common case of a scan, usually costs one look at
// the filter, which stays in the processor's cache, and never a string comparison.
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

  // The hash of a key (already lower-cased) that prefetch and the lookup steps take.
  static std::uint64_t hash(std::string_view key);
  // Starts loading the filter's word for a hash into the processor's cache, so that a
  // scan asking for hundreds of ids waits for memory once rather than once per id.
  void prefetch(std::uint64_t hash) const;
  // The index's code for an architecture name, looked up once per scan; a name no target
  // serves gets a code that matches nothing.
  std::uint32_t architecture_code(std::string_view architecture) const;

  // A key's lookup in steps, so that many keys' data load at once: screen reads the
  // filter (fetched by prefetch) and starts loading the table slot; probe reads the slot
  // and starts loading the entry it names; resolve checks the key against it and starts
  // loading the entry's drivers; offers reads them. A key the catalog does not know
  // usually ends at the screen. An entry is a position in entries_ plus one; 0 is none.
  // screen: false when the catalog surely does not know the key.
  bool screen(std::uint64_t hash) const;
  // probe: the entry of the first slot whose tag matches; 0 when none does.
  std::uint32_t probe(std::uint64_t hash) const;
  // The entry of key (already lower-cased, with its hash and probed entry); 0 when unknown.
  std::uint32_t resolve(std::string_view key, std::uint64_t hash, std::uint32_t probed) const;
  // Appends the drivers an entry serves on the architecture (its code) and OS version.
  void offers(std::uint32_t entry, std::uint32_t architecture, int os_version,
              std::vector<const DriverOffer*>& found) const;

  std::int64_t version() const { return version_; }
  std::chrono::steady_clock::time_point loaded_at() const { return loaded_at_; }
  std::size_t driver_count() const { return drivers_.size(); }
  std::size_t target_count() const { return target_count_; }

 private:
  // A table slot, small so that the table stays in the processor's cache: part of the
  // key's hash, and the key's entry (its position in entries_ plus one; 0: the slot is empty).
  struct Slot {
    std::uint32_t tag = 0;
    std::uint32_t entry = 0;
  };
  // A key's entry in entries_, its parts side by side so that a found key costs one or two
  // cache lines: the text's size, the number of targets, the targets (kTargetWords each:
  // driver, architecture code, OS lower and upper bound), then the text's bytes.
  static constexpr std::uint32_t kTargetWords = 4;

  std::string_view entry_text(std::uint32_t entry) const;

  std::int64_t version_ = 0;
  std::chrono::steady_clock::time_point loaded_at_;
  std::vector<DriverOffer> drivers_;
  std::vector<std::string> architectures_;  // the few distinct names the targets use
  std::vector<std::uint32_t> entries_;
  std::size_t target_count_ = 0;
  std::vector<Slot> slots_;  // a power of two long, at most half full
  // Each key sets kFilterBits bits, chosen by its hash, in one word of 64; with 16 to 32
  // filter bits per key, fewer than one unknown key in a hundred gets through.
  static constexpr int kFilterBits = 3;
  std::vector<std::uint64_t> filter_;  // a power of two long
};

}  // namespace qvserver
