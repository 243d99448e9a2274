// The bounded-probe set of ids seen in a request.
#include "seen_ids.h"

#include <bit>

namespace qvserver {

SeenIds::SeenIds(std::size_t expected) : slots_(std::bit_ceil(expected * 2 + 2)) {}

bool SeenIds::first_sight(std::string_view text, std::uint64_t hash) {
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = hash & mask;
  for (std::size_t probe = 0; probe < kMaxProbes; ++probe, at = (at + 1) & mask) {
    ++probes_;
    if (slots_[at].data() == nullptr) {
      slots_[at] = text;
      return true;
    }
    if (slots_[at] == text) return false;
  }
  // Every slot of this id's window was taken when it was first seen and stays taken, so
  // an id that went to the overflow set is never in the table.
  return overflow_.insert(text).second;
}

}  // namespace qvserver
