// The set of ids a request has already shown, for judging each id only once. The ids and
// their hashes come from the client, so no chosen set of colliding ids may make it slow:
// a lookup probes at most a few slots of the open-addressed table, and ids whose slots
// are all taken go to an ordered overflow set instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string_view>
#include <vector>

namespace qvserver {

class SeenIds {
 public:
  // Sized for up to expected ids; more are still handled, in the overflow set.
  explicit SeenIds(std::size_t expected);

  // True the first time text is seen. The views must outlive the set; a default-made
  // (null) view marks an empty slot, so it is not an id.
  bool first_sight(std::string_view text, std::uint64_t hash);

  // Table slots looked at so far: at most kMaxProbes per call.
  std::size_t probes() const { return probes_; }
  static constexpr std::size_t kMaxProbes = 8;

 private:
  std::vector<std::string_view> slots_;  // a null view is an empty slot
  std::set<std::string_view> overflow_;
  std::size_t probes_ = 0;
};

}  // namespace qvserver
