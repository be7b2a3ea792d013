#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/QtRuntime.h"
#include "support/ManualRuntime.h"

namespace qb {
namespace {

// How long the main loop may take to run every task handed over.
constexpr int kWaitMilliseconds = 10000;

// Handing a task over is nothing to log: the program hands over several a second.
TEST(QtExecutorTest, TasksRunInTheOrderTheyWereHandedOver) {
  test::LogCapture log;
  QtExecutor executor;
  // Hand-overs are numbered under this lock, so that their order across threads is known.
  std::mutex handing;
  int handedOver = 0;
  std::vector<int> ran;  // main thread only, as the tasks run there
  const auto handOver = [&](std::function<void()> then = {}) {
    const std::lock_guard lock(handing);
    executor.post([&ran, number = handedOver++, then = std::move(then)] {
      ran.push_back(number);
      if (then) then();
    });
  };

  // A task that hands over another while it runs: that one comes after those already waiting.
  handOver([&] { handOver([&] { handOver(); }); });
  for (int i = 0; i < 10; ++i) handOver();
  constexpr int kThreads = 4;
  constexpr int kPerThread = 200;
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t) {
    workers.emplace_back([&] {
      for (int i = 0; i < kPerThread; ++i) handOver();
    });
  }
  for (std::thread& worker : workers) worker.join();
  const size_t total = 1 + 10 + kThreads * kPerThread + 2;

  EXPECT_TRUE(QTest::qWaitFor([&] { return ran.size() == total; }, kWaitMilliseconds))
      << ran.size() << " of " << total << " ran";
  std::vector<int> expected(total);
  for (size_t i = 0; i < total; ++i) expected[i] = static_cast<int>(i);
  EXPECT_EQ(ran, expected);
  EXPECT_THAT(log.lines(), ::testing::IsEmpty());
}

// A worker hands tasks over one at a time while the loop is kept busy, as an analysis hands its
// result over while the program reads windows: each runs, and ThreadSanitizer sees each one handed
// over, not a race.
TEST(QtExecutorTest, ATaskHandedOverWhileTheLoopIsBusyRuns) {
  QtExecutor executor;
  QTimer busy;
  // Work on the loop's thread: it stays awake, so that a task does not have to wake it.
  constexpr int kBusySteps = 20000;
  busy.callOnTimeout([] {
    volatile int sum = 0;
    for (int i = 0; i < kBusySteps; ++i) sum = sum + i;
  });
  busy.start(0);
  constexpr int kTasks = 3000;
  constexpr auto kBetweenTasks = std::chrono::microseconds(300);
  std::atomic<int> ran = 0;
  std::thread worker([&] {
    for (int i = 0; i < kTasks; ++i) {
      executor.post([&ran] { ++ran; });
      std::this_thread::sleep_for(kBetweenTasks);
    }
  });
  EXPECT_TRUE(QTest::qWaitFor([&] { return ran == kTasks; }, kWaitMilliseconds))
      << ran << " of " << kTasks << " ran";
  worker.join();
}

}  // namespace
}  // namespace qb
