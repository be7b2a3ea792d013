// Media playback against real players on the session bus: quillbrook_test_player processes started
// by the test as its children, or as its grandchildren through a relay process.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QProcess>

#include "platform/linux/MprisPlayers.h"
#include "sensing/Media.h"
#include "support/ManualRuntime.h"

namespace qb {
namespace {

// A player that runs until the test's end closes its input; `pid` owns its name (0: it failed).
struct Player {
  explicit Player(const char* status, bool throughChild = false) {
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList arguments{QString::fromLatin1(status)};
    if (throughChild) arguments << QStringLiteral("--through-child");
    process.start(QStringLiteral(QB_TEST_PLAYER), arguments);
    if (process.waitForReadyRead(10'000)) pid = QString(process.readLine()).mid(6).toInt();
  }
  ~Player() {
    process.closeWriteChannel();
    if (!process.waitForFinished(10'000)) process.kill();
  }
  QProcess process;
  pid_t pid = 0;
};

bool playing(pid_t pid) { return Media::isPlaying(MprisPlayers(), pid); }

TEST(MediaDesktopTest, AChildsPlayingPlayerCountsButNotAGrandchildsOrAPausedOne) {
  Player grandchild("Playing", true), paused("Paused");
  ASSERT_NE(grandchild.pid, 0);
  ASSERT_NE(paused.pid, 0);
  ASSERT_EQ(Media::processParent(grandchild.pid), grandchild.process.processId());
  EXPECT_FALSE(playing(getpid()));
  EXPECT_TRUE(playing(grandchild.pid)) << "the player's own process plays";
  EXPECT_TRUE(playing(grandchild.process.processId())) << "the relay is the player's parent";

  Player child("Playing");
  ASSERT_EQ(child.pid, child.process.processId());
  EXPECT_TRUE(playing(getpid()));
  EXPECT_FALSE(playing(getppid()));

  // A stalled player costs at most the two rounds of calls, and hides no other.
  ASSERT_EQ(::kill(grandchild.pid, SIGSTOP), 0);
  QElapsedTimer clock;
  clock.start();
  std::vector<pid_t> listed = MprisPlayers().playingProcesses();
  const qint64 elapsed = clock.elapsed();
  ::kill(grandchild.pid, SIGCONT);
  EXPECT_EQ(listed, std::vector<pid_t>{child.pid});
  EXPECT_LT(elapsed, 2 * MprisPlayers::kCallTimeout.count() + 250) << "250 ms for a busy machine";
}

TEST(MediaDesktopTest, NothingPlaysWithoutABusAndThatIsLoggedOnce) {
  test::LogCapture log;
  MprisPlayers players(QDBusConnection::connectToBus(
      QStringLiteral("unix:path=/nonexistent/quillbrook-test-bus"), QStringLiteral("nowhere")));
  EXPECT_TRUE(players.playingProcesses().empty());
  EXPECT_FALSE(Media::isPlaying(players, getpid()));
  EXPECT_EQ(log.lines().size(), 1u);
}

}  // namespace
}  // namespace qb
