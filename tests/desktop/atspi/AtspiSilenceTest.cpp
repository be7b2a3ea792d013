// What the log says when a program on the accessibility bus stops answering.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <QTest>
#include <string>

#include "desktop/DesktopLimits.h"
#include "desktop/window/TestWindowProcess.h"
#include "platform/linux/AtspiBus.h"
#include "sensing/AX.h"
#include "support/ManualRuntime.h"

namespace qb {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ContainsRegex;
using ::testing::HasSubstr;

// Short, since every read below waits it out.
constexpr double kTimeout = 0.3;

TEST(AtspiSilenceTest, AReadThatTimesOutNamesTheProgramThatDidNotAnswer) {
  std::unique_ptr<AtspiBus> bus = AtspiBus::open();
  ASSERT_TRUE(bus) << "no accessibility bus";
  bus->setTimeout(kTimeout);
  test::TestWindowProcess window("Silent");
  ASSERT_TRUE(window.started());
  AXElement frame;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return static_cast<bool>(frame = bus->frameOf(window.pid(), "Silent")); },
      test::kDesktopLimitMs))
      << "the window showed itself, and the bus names no frame of it: its application is "
      << (bus->applicationOf(window.pid()) ? "on the bus" : "not on the bus");
  const std::vector<AXElement> controls = AX::children(frame);
  ASSERT_FALSE(controls.empty());

  ASSERT_EQ(::kill(window.pid(), SIGSTOP), 0);
  const test::LogCapture log;
  EXPECT_EQ(AX::string(frame, AXAttribute::title), std::nullopt);            // a property read
  EXPECT_EQ(AX::string(controls.front(), AXAttribute::role), std::nullopt);  // a libatspi call
  ASSERT_EQ(::kill(window.pid(), SIGCONT), 0);

  // The bus's name for the program, the program's own and its process.
  const std::string who = "pid " + std::to_string(window.pid()) + ")";
  EXPECT_THAT(log.lines(), Contains(AllOf(HasSubstr("AT-SPI Get Name to :"),
                                          ContainsRegex(":[0-9]+\\.[0-9]+ \\("),
                                          HasSubstr("(quillbrook_test_window, " + who))));
  EXPECT_THAT(log.lines(), Contains(AllOf(HasSubstr("AT-SPI GetRole to :"),
                                          HasSubstr("(quillbrook_test_window, " + who))));
}

}  // namespace
}  // namespace qb
