#include <stdexcept>

#include "base/Log.h"
#include "base/SerialExecutor.h"
#include "support/TestSupport.h"

namespace qb {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

TEST(SerialExecutorTest, RunsInOrderAndFinishesTheQueueWhenDestroyed) {
  std::vector<int> order;
  {
    SerialExecutor executor;
    for (int i = 0; i < 200; ++i) executor.post([&order, i] { order.push_back(i); });
  }
  ASSERT_EQ(order.size(), 200u);
  for (int i = 0; i < 200; ++i) EXPECT_EQ(order[i], i);
}

TEST(SerialExecutorTest, WhatATaskThrowsReachesTheCallerAndNeverEndsTheWorker) {
  // Read only after a future has come back, so the worker's writes are visible without a lock.
  std::vector<std::string> logged;
  log::setSink([&](log::Level, std::string_view line) { logged.emplace_back(line); });
  SerialExecutor executor;
  EXPECT_THAT([&] { executor.submit([]() -> int { throw std::runtime_error("boom"); }).get(); },
              ThrowsMessage<std::runtime_error>("boom"));
  EXPECT_FALSE(executor.isCurrent());
  EXPECT_TRUE(executor.submit([&] { return executor.isCurrent(); }).get());
  // What the handler was given, on the worker.
  std::exception_ptr handled = std::make_exception_ptr(std::logic_error("never handled"));
  executor.post(
      [] { throw std::runtime_error("handled"); },
      [&](std::exception_ptr error) { handled = executor.isCurrent() ? error : handled; });
  executor.post([] { throw std::runtime_error("unhandled"); });
  executor.post([] { throw 7; });
  executor.post([] { throw std::runtime_error("first"); },
                [](std::exception_ptr) { throw std::logic_error("second"); });
  EXPECT_EQ(executor.submit([] { return 1; }).get(), 1);
  EXPECT_THAT([&] { std::rethrow_exception(handled); },
              ThrowsMessage<std::runtime_error>("handled"));
  EXPECT_THAT(logged, ElementsAre(HasSubstr("unhandled"), HasSubstr("not a std::exception"),
                                  AllOf(HasSubstr("second"), HasSubstr("first"))));
  // A sink that throws loses its line to stderr, not the worker to std::terminate.
  log::setSink([](log::Level, std::string_view) { throw std::runtime_error("sink"); });
  executor.post([] { throw std::runtime_error("unlogged"); });
  EXPECT_EQ(executor.submit([] { return 2; }).get(), 2);
  log::setSink({});
}

}  // namespace
}  // namespace qb
