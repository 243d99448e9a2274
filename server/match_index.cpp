// The in-memory match index of the catalog.
#include "match_index.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>
#include <limits>
#include <unordered_map>

#include "catalog_error.h"

namespace qvserver {

namespace {

// The hash's high half: the low bits choose the slot.
std::uint32_t tag_of(std::uint64_t hash) { return static_cast<std::uint32_t>(hash >> 32); }

// The bits a hash sets in its filter word, each chosen by six bits of the hash's high
// half, apart from the low bits that choose the word.
std::uint64_t filter_bits(std::uint64_t hash, int count) {
  std::uint64_t bits = 0;
  for (int i = 0; i < count; ++i) bits |= std::uint64_t{1} << ((hash >> (40 + 6 * i)) & 63);
  return bits;
}

}  // namespace

std::uint64_t MatchIndex::hash(std::string_view key) { return std::hash<std::string_view>{}(key); }

void MatchIndex::prefetch(std::uint64_t hash) const { __builtin_prefetch(&filter_[hash & (filter_.size() - 1)]); }

bool MatchIndex::screen(std::uint64_t hash) const {
  const std::uint64_t bits = filter_bits(hash, kFilterBits);
  if ((filter_[hash & (filter_.size() - 1)] & bits) != bits) return false;
  __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
  return true;
}

std::uint32_t MatchIndex::architecture_code(std::string_view architecture) const {
  auto found = std::find(architectures_.begin(), architectures_.end(), architecture);
  return found == architectures_.end() ? std::numeric_limits<std::uint32_t>::max()
                                       : static_cast<std::uint32_t>(found - architectures_.begin());
}

std::shared_ptr<const MatchIndex> MatchIndex::load(Catalog& catalog) {
  struct Target {
    std::uint32_t driver;        // into drivers_
    std::uint32_t architecture;  // into architectures_
    int os_min;
    int os_max;
  };
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
  index->filter_.resize(std::bit_ceil(std::max<std::size_t>(1, by_key.size() / 4)));
  const std::size_t mask = index->slots_.size() - 1;
  auto& entries = index->entries_;
  for (auto& [key, targets] : by_key) {
    const std::size_t entry = entries.size();
    entries.push_back(static_cast<std::uint32_t>(key.size()));
    entries.push_back(static_cast<std::uint32_t>(targets.size()));
    for (const Target& target : targets) {
      entries.insert(entries.end(), {target.driver, target.architecture, static_cast<std::uint32_t>(target.os_min),
                                     static_cast<std::uint32_t>(target.os_max)});
    }
    const std::size_t text_at = entries.size();
    entries.resize(text_at + (key.size() + 3) / 4);
    std::memcpy(entries.data() + text_at, key.data(), key.size());
    if (entries.size() >= std::numeric_limits<std::uint32_t>::max())
      throw CatalogError("the catalog's hardware ids do not fit in one match index");
    index->target_count_ += targets.size();

    std::uint64_t hash = MatchIndex::hash(key);
    index->filter_[hash & (index->filter_.size() - 1)] |= filter_bits(hash, kFilterBits);
    std::size_t at = hash & mask;
    while (index->slots_[at].entry != 0) at = (at + 1) & mask;
    index->slots_[at] = Slot{tag_of(hash), static_cast<std::uint32_t>(entry + 1)};
  }
  index->loaded_at_ = std::chrono::steady_clock::now();
  return index;
}

std::string_view MatchIndex::entry_text(std::uint32_t entry) const {
  const std::uint32_t* words = entries_.data() + (entry - 1);
  const auto* text = reinterpret_cast<const char*>(words + 2 + words[1] * kTargetWords);
  return {text, words[0]};
}

std::uint32_t MatchIndex::probe(std::uint64_t hash) const {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (slot.entry == 0) return 0;
    if (slot.tag != tag_of(hash)) continue;
    __builtin_prefetch(entries_.data() + (slot.entry - 1));
    return slot.entry;
  }
}

std::uint32_t MatchIndex::resolve(std::string_view key, std::uint64_t hash, std::uint32_t probed) const {
  std::uint32_t entry = 0;
  if (probed != 0 && entry_text(probed) == key) {
    entry = probed;
  } else if (probed != 0) {
    // Another key with the same tag: the rare case, probed in full from the start.
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = hash & mask; slots_[at].entry != 0; at = (at + 1) & mask) {
      const Slot& slot = slots_[at];
      if (slot.tag == tag_of(hash) && entry_text(slot.entry) == key) {
        entry = slot.entry;
        break;
      }
    }
  }
  if (entry != 0) {
    const std::uint32_t* words = entries_.data() + (entry - 1);
    for (std::uint32_t i = 0; i < words[1]; ++i) {
      const DriverOffer& driver = drivers_[words[2 + i * kTargetWords]];
      __builtin_prefetch(&driver);
      __builtin_prefetch(&driver.version);
    }
  }
  return entry;
}

void MatchIndex::offers(std::uint32_t entry, std::uint32_t architecture, int os_version,
                        std::vector<const DriverOffer*>& found) const {
  if (entry == 0) return;
  const std::uint32_t* words = entries_.data() + (entry - 1);
  const std::uint32_t* target = words + 2;
  for (std::uint32_t i = 0; i < words[1]; ++i, target += kTargetWords) {
    const auto os_min = static_cast<int>(target[2]);
    const auto os_max = static_cast<int>(target[3]);
    if (target[1] == architecture && os_min <= os_version && os_version < os_max) found.push_back(&drivers_[target[0]]);
  }
}

}  // namespace qvserver
