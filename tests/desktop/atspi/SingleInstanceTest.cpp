// Two copies of the program in one session, each on a connection of its own to the session bus.

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QSignalSpy>
#include <QTest>
#include <chrono>
#include <future>
#include <thread>

#include "desktop/DesktopLimits.h"
#include "platform/linux/SingleInstance.h"

namespace qb {
namespace {

class SingleInstanceTest : public testing::Test {
protected:
  ~SingleInstanceTest() override {
    QDBusConnection::disconnectFromBus(QStringLiteral("first-copy"));
    QDBusConnection::disconnectFromBus(QStringLiteral("later-copy"));
  }

  QDBusConnection firstBus =
      QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("first-copy"));
  QDBusConnection laterBus =
      QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("later-copy"));
};

TEST_F(SingleInstanceTest, ALaterCopyAsksTheRunningOneToShowItselfAndEnds) {
  {
    SingleInstance first(firstBus);
    ASSERT_EQ(first.claim(), SingleInstance::Claim::first);
    QSignalSpy reopened(&first, &SingleInstance::reopenRequested);

    // The later copy waits for the answer, which the running copy gives from this thread's event
    // loop: as two processes would, the later one waits on a thread of its own.
    std::future<SingleInstance::Claim> later =
        std::async(std::launch::async, [&] { return SingleInstance(laterBus).claim(); });
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return later.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
        test::kDesktopLimitMs))
        << "the later copy's claim is still waiting; the running copy was asked to show itself "
        << reopened.count() << " times";
    EXPECT_EQ(later.get(), SingleInstance::Claim::running);
    EXPECT_EQ(reopened.count(), 1);
  }
  // The name goes with its owner: the next copy runs.
  SingleInstance next(laterBus);
  SingleInstance::Claim claim{};
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return (claim = next.claim()) == SingleInstance::Claim::first; },
                      test::kDesktopLimitMs))
      << "the next copy's claim still answers "
      << (claim == SingleInstance::Claim::running ? "running" : "alone");
}

TEST_F(SingleInstanceTest, ACopyThatMeetsTheRunningOneQuittingTakesTheNameOnceItIsGivenUp) {
  // The moment between the end of the running copy's event loop and its giving up the name: long
  // enough for the later copy's call to reach it, well within the time the call waits.
  constexpr auto kQuitStarting = std::chrono::milliseconds(SingleInstance::kReopenTimeoutMs / 4);
  SingleInstance first(firstBus);
  ASSERT_EQ(first.claim(), SingleInstance::Claim::first);
  // This thread handles no events from here on, as a quitting copy's main thread does not.
  std::future<SingleInstance::Claim> later =
      std::async(std::launch::async, [&] { return SingleInstance(laterBus).claim(); });
  std::this_thread::sleep_for(kQuitStarting);
  first.release();
  ASSERT_EQ(later.wait_for(std::chrono::milliseconds(SingleInstance::kReopenTimeoutMs) +
                           std::chrono::milliseconds(test::kDesktopLimitMs)),
            std::future_status::ready);
  EXPECT_EQ(later.get(), SingleInstance::Claim::first);
}

TEST_F(SingleInstanceTest, WithoutASessionBusTheCopyRunsAlone) {
  SingleInstance alone(QDBusConnection(QStringLiteral("never-connected")));
  EXPECT_EQ(alone.claim(), SingleInstance::Claim::alone);
}

}  // namespace
}  // namespace qb
