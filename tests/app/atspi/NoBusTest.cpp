// The accessibility bus and the session's events when no bus can be reached: nothing is watched,
// nothing fails.

#include <glib.h>
#include <gtest/gtest.h>

#include <QDBusConnection>

#include "app/ScopedEnvironment.h"
#include "platform/linux/AtspiBus.h"
#include "platform/linux/SessionEvents.h"
#include "support/ManualRuntime.h"

namespace qb {
namespace {

constexpr const char* kNowhere = "unix:path=/nonexistent/quillbrook-test-bus";

TEST(NoBusTest, NothingIsWatchedAndNothingFails) {
  test::ScopedEnvironment environment;
  environment.set("DBUS_SESSION_BUS_ADDRESS", kNowhere);
  environment.set("AT_SPI_BUS_ADDRESS", std::nullopt);
  environment.set("DISPLAY", std::nullopt);  // the bus's address is also published on the X root

  EXPECT_EQ(AtspiBus::open(), nullptr);

  SessionEvents events(QDBusConnection::connectToBus(QString::fromLatin1(kNowhere), "system"),
                       QDBusConnection::connectToBus(QString::fromLatin1(kNowhere), "session"));
  EXPECT_FALSE(events.watchesSessionLock());
}

TEST(NoBusTest, ALibrarysWarningIsOneLineOfTheLog) {
  test::ScopedEnvironment environment;
  environment.set("DBUS_SESSION_BUS_ADDRESS", kNowhere);
  environment.set("AT_SPI_BUS_ADDRESS", std::nullopt);
  environment.set("DISPLAY", std::nullopt);
  EXPECT_EQ(AtspiBus::open(), nullptr);

  const test::LogCapture log;
  // As libatspi words one: with a line break of its own.
  g_log("quillbrook-test", G_LOG_LEVEL_WARNING,
        "AT-SPI: expected 2 values in states array; got %d\n", 3);
  EXPECT_EQ(log.lines(), std::vector<std::string>{
                             "quillbrook-test: AT-SPI: expected 2 values in states array; got 3"});
}

}  // namespace
}  // namespace qb
