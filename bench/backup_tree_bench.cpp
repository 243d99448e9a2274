// Times filling the backup page's device tree (BuildBackupTree: grouping by
// class and ordering every level) for simulated PCs of 250 and 1000 devices in
// the same run, and prints both times and their ratio: filling in order grows
// about linearly (ratio near 4, a little more for the sort); sorting at every
// insert would grow quadratically (near 16).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "backup_tree_devices.h"
#include "core/device_list.h"
#include "platform/sim/sim_locale.h"
#include "ui/backup_tree.h"

namespace {

size_t CountNodes(const TBackupTreeNode& node) {
  size_t count = 1;
  for (const TBackupTreeNode& child : node.children) count += CountNodes(child);
  return count;
}

// Milliseconds of one fill, repeated `repeats` times and averaged.
double Milliseconds(const TDeviceList& devices, ILocale& locale, int repeats, size_t& nodes) {
  const TBackupTreeFacts facts{"DESKTOP-BENCH", "Windows 11 Pro", 40, true};
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < repeats; ++i) nodes = CountNodes(BuildBackupTree(devices, facts, locale));
  const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
  return elapsed.count() / repeats;
}

}  // namespace

int main() {
  TSimLocale locale;
  const TDeviceList small = SimulatedBackupDevices(250, locale);
  const TDeviceList large = SimulatedBackupDevices(1000, locale);
  // The sizes alternate round by round, the small one filled four times a round so
  // both see the same load of the computer; the best round of each counts.
  constexpr int kRounds = 25;
  double bestSmall = 1e300, bestLarge = 1e300;
  size_t nodesSmall = 0, nodesLarge = 0;
  for (int round = 0; round < kRounds; ++round) {
    bestSmall = std::min(bestSmall, Milliseconds(small, locale, 4, nodesSmall));
    bestLarge = std::min(bestLarge, Milliseconds(large, locale, 1, nodesLarge));
  }
  std::printf("%-44s %10s %10s\n", "Backup device tree, filled", "ms", "nodes");
  std::printf("%-44s %10.3f %10zu\n", "  250 devices", bestSmall, nodesSmall);
  std::printf("%-44s %10.3f %10zu\n", "  1000 devices", bestLarge, nodesLarge);
  std::printf("%-44s %10.2f\n", "  ratio 1000 / 250 (linear 4, quadratic 16)", bestLarge / bestSmall);
  return 0;
}
