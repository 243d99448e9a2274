// The set of ids seen in a request: repeats found, and ids the client made collide on
// purpose (all with one hash, so all wanting one slot) cost a bounded number of probes.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "seen_ids.h"

using namespace qvserver;

TEST(SeenIds, FindsRepeatsOfOrdinaryIds) {
  const std::vector<std::string> ids = {"pci\\ven_10ec&dev_8168", "usb\\root_hub30", "acpi\\pnp0a08"};
  SeenIds seen(ids.size());
  for (const auto& id : ids) EXPECT_TRUE(seen.first_sight(id, std::hash<std::string>{}(id))) << id;
  for (const auto& id : ids) EXPECT_FALSE(seen.first_sight(id, std::hash<std::string>{}(id))) << id;
}

TEST(SeenIds, CollidingIdsCostBoundedProbes) {
  constexpr std::size_t kCount = 100'000;
  std::vector<std::string> ids;
  ids.reserve(kCount);
  for (std::size_t i = 0; i < kCount; ++i) ids.push_back("pci\\ven_" + std::to_string(i));
  SeenIds seen(kCount);
  for (const auto& id : ids) ASSERT_TRUE(seen.first_sight(id, 42)) << id;
  for (const auto& id : ids) ASSERT_FALSE(seen.first_sight(id, 42)) << id;
  EXPECT_LE(seen.probes(), 2 * kCount * SeenIds::kMaxProbes);
}
