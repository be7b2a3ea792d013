// Media playback against real players on the session bus: quillbrook_test_player processes started
// by the test as its children, or as its grandchildren through a relay process.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>

#include "platform/linux/MprisPlayers.h"
#include "sensing/Media.h"
#include "support/ManualRuntime.h"

namespace qb {
namespace {

// How long a player may take to own its name, or to carry out one command.
constexpr int kWaitMs = 10'000;
// What a loaded machine may add to a question's own bound before it is taken as blocking.
constexpr qint64 kSchedulingSlackMs = 250;

// A player started by the test, stopped by the end of its input when the object goes.
class PlayerProcess {
public:
  PlayerProcess(const QString& status, bool throughChild) {
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral(QB_TEST_PLAYER),
                   throughChild ? QStringList{status, QStringLiteral("--through-child")}
                                : QStringList{status});
    playerPid_ = static_cast<pid_t>(waitForLine(QStringLiteral("ready ")).mid(6).toInt());
  }
  ~PlayerProcess() {
    process_.closeWriteChannel();
    if (process_.waitForFinished(kWaitMs)) return;
    process_.kill();
    process_.waitForFinished(kWaitMs);
  }

  pid_t playerPid() const { return playerPid_; }  // the name's owner; 0 when it did not start
  pid_t startedPid() const { return static_cast<pid_t>(process_.processId()); }
  bool command(const QString& line) {
    process_.write((line + '\n').toUtf8());
    return !waitForLine(QStringLiteral("done ") + line).isEmpty();
  }

private:
  // The first line that starts with `start`, or empty when none came in time.
  QString waitForLine(const QString& start) {
    for (QDeadlineTimer deadline(kWaitMs); !deadline.hasExpired();) {
      while (process_.canReadLine()) {
        QString line = QString::fromUtf8(process_.readLine()).trimmed();
        if (line.startsWith(start)) return line;
      }
      if (process_.state() == QProcess::NotRunning) break;
      process_.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    }
    return {};
  }

  QProcess process_;
  pid_t playerPid_ = 0;
};

bool playing(pid_t pid) { return Media::isPlaying(MprisPlayers(), pid); }

TEST(MediaDesktopTest, APlayerInAChildMakesTheParentPlayingButNotTheGrandparent) {
  PlayerProcess child(QStringLiteral("Playing"), false);
  ASSERT_EQ(child.playerPid(), child.startedPid());
  EXPECT_TRUE(playing(getpid()));
  EXPECT_TRUE(playing(child.playerPid())) << "the player's own process plays";
  EXPECT_FALSE(playing(getppid()));
}

TEST(MediaDesktopTest, APlayerInAGrandchildDoesNotMakeTheGrandparentPlaying) {
  PlayerProcess grandchild(QStringLiteral("Playing"), true);
  ASSERT_NE(grandchild.playerPid(), 0);
  ASSERT_EQ(Media::processParent(grandchild.playerPid()), grandchild.startedPid());
  EXPECT_FALSE(playing(getpid()));
  EXPECT_TRUE(playing(grandchild.startedPid())) << "the relay is the player's parent";
}

TEST(MediaDesktopTest, OnlyThePlayingStatusCountsAndItIsReadOnEveryQuestion) {
  PlayerProcess player(QStringLiteral("Paused"), false);
  ASSERT_NE(player.playerPid(), 0);
  EXPECT_FALSE(playing(getpid()));
  ASSERT_TRUE(player.command(QStringLiteral("status Playing")));
  EXPECT_TRUE(playing(getpid()));
  ASSERT_TRUE(player.command(QStringLiteral("status Stopped")));
  EXPECT_FALSE(playing(getpid()));
}

TEST(MediaDesktopTest, AStalledPlayerCostsAtMostTheBoundAndHidesNoOther) {
  PlayerProcess other(QStringLiteral("Playing"), false), stalled(QStringLiteral("Playing"), false),
      paused(QStringLiteral("Paused"), false);
  ASSERT_EQ(::kill(stalled.playerPid(), SIGSTOP), 0);
  QElapsedTimer clock;
  clock.start();
  std::vector<pid_t> listed = MprisPlayers().playingProcesses();
  qint64 elapsed = clock.elapsed();
  ::kill(stalled.playerPid(), SIGCONT);
  EXPECT_EQ(listed, std::vector<pid_t>{other.playerPid()});
  // The name listing, then the player calls all at once: two rounds.
  EXPECT_LT(elapsed, 2 * MprisPlayers::kCallTimeout.count() + kSchedulingSlackMs);
}

TEST(MediaDesktopTest, NothingPlaysWithoutABusAndThatIsLoggedOnce) {
  test::LogCapture log;
  MprisPlayers players(QDBusConnection::connectToBus(
      QStringLiteral("unix:path=/nonexistent/quillbrook-test-bus"), QStringLiteral("nowhere")));
  EXPECT_TRUE(players.playingProcesses().empty());
  EXPECT_FALSE(Media::isPlaying(players, getpid()));
  ASSERT_EQ(log.lines().size(), 1u);
  EXPECT_NE(log.lines().front().find("session bus"), std::string::npos) << log.lines().front();
}

}  // namespace
}  // namespace qb
