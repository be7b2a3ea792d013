#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

#include "base/SerialExecutor.h"

namespace qb {
namespace {

TEST(SerialExecutorTest, RunsInOrderOneAtATime) {
  std::vector<int> order;
  std::atomic<int> running{0};
  std::atomic<bool> overlapped{false};
  std::vector<std::future<void>> done;
  {
    SerialExecutor executor;
    for (int i = 0; i < 200; ++i) {
      done.push_back(executor.submit([&, i] {
        if (running.fetch_add(1) != 0) overlapped = true;
        order.push_back(i);
        running.fetch_sub(1);
      }));
    }
    done.back().wait();
  }
  EXPECT_FALSE(overlapped);
  ASSERT_EQ(order.size(), 200u);
  for (int i = 0; i < 200; ++i) EXPECT_EQ(order[i], i);
}

TEST(SerialExecutorTest, ResultsAndErrorsReachTheFuture) {
  SerialExecutor executor;
  EXPECT_EQ(executor.submit([] { return 42; }).get(), 42);
  auto failing = executor.submit([]() -> int { throw std::runtime_error("boom"); });
  EXPECT_THROW(failing.get(), std::runtime_error);
  EXPECT_FALSE(executor.isCurrent());
  EXPECT_TRUE(executor.submit([&] { return executor.isCurrent(); }).get());
}

TEST(SerialExecutorTest, DestructionRunsWhatIsQueued) {
  std::atomic<int> ran{0};
  {
    SerialExecutor executor;
    for (int i = 0; i < 50; ++i) executor.post([&] { ++ran; });
  }
  EXPECT_EQ(ran.load(), 50);
}

}  // namespace
}  // namespace qb
