// The shared catalog-version query: a caller never takes the answer of a query that was
// already running when it arrived, concurrent callers share queries, and a failed query
// reaches the callers that waited for it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <stdexcept>
#include <thread>
#include <vector>

#include "catalog_error.h"
#include "shared_version_check.h"

using namespace qvserver;

TEST(SharedVersionCheck, ACallerArrivingDuringAQueryWaitsForTheNextOne) {
  std::atomic<std::int64_t> counter{1};
  std::promise<void> first_started, release_first;
  auto release = release_first.get_future().share();
  std::atomic<int> asked{0};
  SharedVersionCheck check([&] {
    std::int64_t read = counter;  // the query reads the counter when it starts
    if (asked++ == 0) {
      first_started.set_value();
      release.wait();
    }
    return read;
  });

  auto early = std::async(std::launch::async, [&] { return check.version(); });
  first_started.get_future().wait();
  counter = 2;  // an import commits while the first query runs
  auto late = std::async(std::launch::async, [&] { return check.version(); });
  // Give the late caller time to arrive while the first query still runs, the case where
  // taking that query's answer would miss the import.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  release_first.set_value();
  EXPECT_EQ(early.get(), 1);
  EXPECT_EQ(late.get(), 2);
  EXPECT_EQ(asked, 2);
}

TEST(SharedVersionCheck, ConcurrentCallersShareQueries) {
  constexpr int kThreads = 8, kCalls = 50;
  std::atomic<int> asked{0};
  SharedVersionCheck check([&] {
    ++asked;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return std::int64_t{7};
  });
  std::vector<std::thread> threads;
  std::atomic<int> wrong{0};
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int n = 0; n < kCalls; ++n)
        if (check.version() != 7) ++wrong;
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong, 0);
  EXPECT_LT(asked, kThreads * kCalls / 2);
}

TEST(SharedVersionCheck, AFailedQueryRaisesInItsCallersAndTheNextOneAsksAgain) {
  std::atomic<bool> reachable{false};
  SharedVersionCheck check([&]() -> std::int64_t {
    if (!reachable) throw CatalogError("the catalog is unreachable");
    return 3;
  });
  EXPECT_THROW(check.version(), CatalogError);
  reachable = true;
  EXPECT_EQ(check.version(), 3);
}
