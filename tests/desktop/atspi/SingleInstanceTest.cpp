// Two copies of the program in one session, each on a connection of its own to the session bus.

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QSignalSpy>
#include <QTest>
#include <chrono>
#include <future>

#include "platform/linux/SingleInstance.h"

namespace qb {
namespace {

constexpr int kDeliveryMs = 5000;

TEST(SingleInstanceTest, ALaterCopyAsksTheRunningOneToShowItselfAndEnds) {
  QDBusConnection firstBus =
      QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("first-copy"));
  QDBusConnection laterBus =
      QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("later-copy"));
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
        kDeliveryMs));
    EXPECT_EQ(later.get(), SingleInstance::Claim::running);
    EXPECT_EQ(reopened.count(), 1);
  }
  // The name goes with its owner: the next copy runs.
  SingleInstance next(laterBus);
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return next.claim() == SingleInstance::Claim::first; }, kDeliveryMs));
  QDBusConnection::disconnectFromBus(QStringLiteral("first-copy"));
  QDBusConnection::disconnectFromBus(QStringLiteral("later-copy"));
}

TEST(SingleInstanceTest, WithoutASessionBusTheCopyRunsAlone) {
  SingleInstance alone(QDBusConnection(QStringLiteral("never-connected")));
  EXPECT_EQ(alone.claim(), SingleInstance::Claim::alone);
}

}  // namespace
}  // namespace qb
