// The dispatcher between a real worker thread and a plain UI loop: one posting
// order for queued and synchronous work, shutdown, and a port that refuses work.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ui/callback_dispatcher.h"
#include "ui/plain_loop.h"

namespace {

using namespace std::chrono_literals;

// What the UI thread ran, readable from the worker.
class TRunLog {
 public:
  void Add(const std::string& entry) {
    std::lock_guard lock(m_mutex);
    m_entries.push_back(entry);
  }
  std::vector<std::string> Entries() {
    std::lock_guard lock(m_mutex);
    return m_entries;
  }

 private:
  std::mutex m_mutex;
  std::vector<std::string> m_entries;
};

// A port that refuses every closure.
class TRefusingPort : public IUiThreadPort {
 public:
  bool Post(std::function<void()>) override { return false; }
  bool IsUiThread() const override { return false; }
};

TEST(CallbackDispatcher, SynchronousWorkFlushesEarlierQueuedWorkAndHoldsTheWorker) {
  TPlainLoop loop;
  TCallbackDispatcher dispatcher(loop);
  TRunLog log;
  std::vector<std::vector<std::string>> seenAfterSend;
  std::atomic<bool> finished{false};

  std::thread worker([&] {
    for (int round = 0; round < 50; ++round) {
      const std::string r = std::to_string(round);
      dispatcher.Queue([&, r] { log.Add("q1." + r); });
      dispatcher.Queue([&, r] {
        std::this_thread::sleep_for(100us);  // a slow paint must not let the worker pass
        log.Add("q2." + r);
      });
      EXPECT_TRUE(dispatcher.Send([&, r] { log.Add("s." + r); }));
      seenAfterSend.push_back(log.Entries());
    }
    dispatcher.Queue([&] { log.Add("last"); });
    dispatcher.Send([&] { finished = true; });
  });
  loop.RunUntil([&] { return finished.load(); }, 5ms);
  worker.join();

  std::vector<std::string> expected;
  for (int round = 0; round < 50; ++round) {
    const std::string r = std::to_string(round);
    expected.insert(expected.end(), {"q1." + r, "q2." + r, "s." + r});
    // When Send returned, everything posted up to it had run, and nothing later.
    EXPECT_EQ(seenAfterSend[static_cast<size_t>(round)], expected);
  }
  expected.push_back("last");
  EXPECT_EQ(log.Entries(), expected);
}

TEST(CallbackDispatcher, QueuedWorkDoesNotWaitForTheUiThread) {
  TPlainLoop loop;
  TCallbackDispatcher dispatcher(loop);
  TRunLog log;
  std::thread worker([&] {
    for (int i = 0; i < 100; ++i) dispatcher.Queue([&, i] { log.Add(std::to_string(i)); });
  });
  worker.join();  // the UI loop has not run at all yet
  EXPECT_TRUE(log.Entries().empty());
  loop.RunPending();
  ASSERT_EQ(log.Entries().size(), 100u);
  EXPECT_EQ(log.Entries().front(), "0");
  EXPECT_EQ(log.Entries().back(), "99");
}

// A UI thread's message queue with a quota, as Windows has (10,000 messages): a
// post beyond it is refused until the thread takes messages again.
class TQuotaPort : public IUiThreadPort {
 public:
  static constexpr int QUOTA = 10000;
  bool Post(std::function<void()> work) override {
    if (m_waiting.load() >= QUOTA) return false;
    ++m_waiting;
    return m_loop.Post([this, work = std::move(work)] {
      --m_waiting;
      work();
    });
  }
  bool IsUiThread() const override { return m_loop.IsUiThread(); }
  size_t RunPending() { return m_loop.RunPending(); }

 private:
  TPlainLoop m_loop;
  std::atomic<int> m_waiting{0};
};

// A fast download posts far more notifications than the quota while the UI thread
// is busy: every one arrives, in order, for the thread's queue holds one wake-up.
TEST(CallbackDispatcher, NotificationsBeyondTheQueueQuotaAllArriveInOrder) {
  TQuotaPort port;
  TCallbackDispatcher dispatcher(port);
  constexpr int COUNT = 30000;
  std::vector<int> arrived;
  int refused = 0;
  std::thread worker([&] {
    for (int i = 0; i < COUNT; ++i)
      if (!dispatcher.Queue([&arrived, i] { arrived.push_back(i); })) ++refused;
  });
  worker.join();  // the UI thread was busy throughout
  while (port.RunPending() > 0) {
  }
  EXPECT_EQ(refused, 0);
  ASSERT_EQ(arrived.size(), static_cast<size_t>(COUNT));
  for (int i = 0; i < COUNT; ++i) ASSERT_EQ(arrived[i], i);
}

TEST(CallbackDispatcher, ShutdownDropsPendingWorkAndReleasesAWaitingWorker) {
  TPlainLoop loop;
  auto dispatcher = std::make_unique<TCallbackDispatcher>(loop);
  auto witness = std::make_shared<int>(0);
  std::atomic<bool> queued{false};
  bool sendResult = true;
  bool ran = false;

  std::thread worker([&] {
    dispatcher->Queue([&ran, witness] { ran = true; });
    queued = true;
    sendResult = dispatcher->Send([&ran] { ran = true; });
  });
  while (!queued) std::this_thread::sleep_for(1ms);
  std::this_thread::sleep_for(20ms);  // the worker is now waiting in Send
  dispatcher->Shutdown();
  worker.join();

  EXPECT_FALSE(sendResult);
  EXPECT_EQ(witness.use_count(), 1) << "dropped work is freed";
  EXPECT_FALSE(dispatcher->Queue([&ran] { ran = true; }));
  dispatcher.reset();
  loop.RunPending();  // wake-ups still in the loop outlive the dispatcher and do nothing
  EXPECT_FALSE(ran);
}

TEST(CallbackDispatcher, WorkThePortRefusesIsFreedAndReportedDropped) {
  TRefusingPort port;
  TCallbackDispatcher dispatcher(port);
  auto witness = std::make_shared<int>(0);
  EXPECT_FALSE(dispatcher.Queue([witness] {}));
  EXPECT_FALSE(dispatcher.Send([witness] {}));  // returns instead of waiting forever
  EXPECT_EQ(witness.use_count(), 1);
}

TEST(CallbackDispatcher, SendOnTheUiThreadRunsEarlierWorkThenItselfInPlace) {
  TPlainLoop loop;
  TCallbackDispatcher dispatcher(loop);
  TRunLog log;
  std::thread worker([&] { dispatcher.Queue([&] { log.Add("queued"); }); });
  worker.join();
  EXPECT_TRUE(dispatcher.Send([&] { log.Add("sent"); }));
  EXPECT_EQ(log.Entries(), (std::vector<std::string>{"queued", "sent"}));
}

TEST(CallbackDispatcher, AThrowingNotificationNeitherStopsLaterOnesNorHoldsItsWorker) {
  TPlainLoop loop;
  TCallbackDispatcher dispatcher(loop);
  TRunLog log;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    dispatcher.Send([] { throw std::runtime_error("paint failed"); });
    dispatcher.Queue([&] { log.Add("after"); });
    dispatcher.Send([&] { done = true; });
  });
  loop.RunUntil([&] { return done.load(); }, 5ms);
  worker.join();
  EXPECT_EQ(log.Entries(), (std::vector<std::string>{"after"}));
}

// A fast download's notifications wait for one wake-up of the UI thread, not one message
// each: Windows refuses posted messages past its quota of 10,000 per thread.
TEST(CallbackDispatcher, ABurstOfWorkPostsOneWakeUp) {
  class TCountingPort : public IUiThreadPort {
   public:
    bool Post(std::function<void()> work) override {
      ++posts;
      return loop.Post(std::move(work));
    }
    bool IsUiThread() const override { return loop.IsUiThread(); }
    TPlainLoop loop;
    std::atomic<int> posts{0};
  } port;
  TCallbackDispatcher dispatcher(port);
  std::vector<int> ran;
  std::thread worker([&] {
    for (int i = 0; i < 25600; ++i) dispatcher.Queue([&ran, i] { ran.push_back(i); });
  });
  worker.join();
  EXPECT_EQ(port.posts, 1);
  port.loop.RunPending();
  ASSERT_EQ(ran.size(), 25600u);
  EXPECT_TRUE(std::is_sorted(ran.begin(), ran.end()));
  // Once the wake-up has run, the next work posts another.
  std::thread later([&] { dispatcher.Queue([] {}); });
  later.join();
  EXPECT_EQ(port.posts, 2);
}

}  // namespace
