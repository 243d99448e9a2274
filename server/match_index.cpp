// The in-memory match index of the catalog.
#include "match_index.h"

#include <algorithm>
#include <bit>
#include <functional>
#include <limits>
#include <unordered_map>

namespace qvserver {

namespace {

// The hash's high half: the low bits choose the slot.
std::uint32_t tag_of(std::uint64_t hash) { return static_cast<std::uint32_t>(hash >> 32); }

}  // namespace

std::uint64_t MatchIndex::hash(std::string_view key) { return std::hash<std::string_view>{}(key); }

void MatchIndex::prefetch(std::uint64_t hash) const { __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]); }

std::uint32_t MatchIndex::architecture_code(std::string_view architecture) const {
  auto found = std::find(architectures_.begin(), architectures_.end(), architecture);
  return found == architectures_.end() ? std::numeric_limits<std::uint32_t>::max()
                                       : static_cast<std::uint32_t>(found - architectures_.begin());
}

std::shared_ptr<const MatchIndex> MatchIndex::load(Catalog& catalog) {
  auto index = std::make_shared<MatchIndex>();
  std::unordered_map<std::int64_t, std::uint32_t> position;  // catalog driver id → drivers_
  std::unordered_map<std::string, std::vector<Target>> by_key;
  index->version_ = catalog.read_all(
      [&](std::int64_t driver_id, DriverOffer offer) {
        position.emplace(driver_id, static_cast<std::uint32_t>(index->drivers_.size()));
        index->drivers_.push_back(std::move(offer));
      },
      [&](std::int64_t driver_id, const InfTarget& target) {
        auto driver = position.find(driver_id);
        if (driver == position.end()) return;  // a target without its driver serves nothing
        auto code = std::find(index->architectures_.begin(), index->architectures_.end(), target.architecture);
        if (code == index->architectures_.end()) code = index->architectures_.insert(code, target.architecture);
        by_key[target.hardware_id].push_back(Target{driver->second,
                                                    static_cast<std::uint32_t>(code - index->architectures_.begin()),
                                                    target.os_min, target.os_max});
      });

  index->slots_.resize(std::bit_ceil(std::max<std::size_t>(16, by_key.size() * 2)));
  const std::size_t mask = index->slots_.size() - 1;
  for (auto& [key, targets] : by_key) {
    std::uint64_t hash = MatchIndex::hash(key);
    std::size_t at = hash & mask;
    while (index->slots_[at].key != 0) at = (at + 1) & mask;
    index->keys_.push_back(Key{static_cast<std::uint32_t>(index->key_text_.size()), static_cast<std::uint32_t>(key.size()),
                               static_cast<std::uint32_t>(index->targets_.size()),
                               static_cast<std::uint32_t>(targets.size())});
    index->slots_[at] = Slot{tag_of(hash), static_cast<std::uint32_t>(index->keys_.size())};
    index->key_text_ += key;
    for (auto& target : targets) index->targets_.push_back(std::move(target));
  }
  index->loaded_at_ = std::chrono::steady_clock::now();
  return index;
}

const MatchIndex::Key* MatchIndex::key_of(std::string_view key, std::uint64_t hash) const {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (slot.key == 0) return nullptr;
    if (slot.tag != tag_of(hash)) continue;
    const Key& found = keys_[slot.key - 1];
    if (std::string_view(key_text_).substr(found.text_offset, found.text_size) == key) return &found;
  }
}

void MatchIndex::find(std::string_view key, std::uint64_t hash, std::uint32_t architecture, int os_version,
                      std::vector<const DriverOffer*>& found) const {
  const Key* entry = key_of(key, hash);
  if (!entry) return;
  for (std::uint32_t i = entry->first; i < entry->first + entry->count; ++i) {
    const Target& target = targets_[i];
    if (target.architecture == architecture && target.os_min <= os_version && os_version < target.os_max)
      found.push_back(&drivers_[target.driver]);
  }
}

}  // namespace qvserver
