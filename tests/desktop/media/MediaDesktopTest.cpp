// Media playback against real players on the session bus: quillbrook_test_player processes
// started by the test as its children, or as its grandchildren through a relay process.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <memory>
#include <vector>

#include "platform/linux/MprisPlayers.h"
#include "sensing/Media.h"
#include "support/ManualRuntime.h"

namespace qb {
namespace {

// How long a player may take to own its name, or to carry out one command.
constexpr int kWaitMs = 10'000;

// A player started by the test; stopped when the object goes.
class PlayerProcess {
public:
  PlayerProcess(const QString& status, bool throughChild) {
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList arguments{status};
    if (throughChild) arguments << QStringLiteral("--through-child");
    process_.start(QStringLiteral(QB_TEST_PLAYER), arguments);
    QString ready = waitForLine(QStringLiteral("ready "));
    playerPid_ = ready.isEmpty() ? 0 : static_cast<pid_t>(ready.mid(6).toInt());
  }

  ~PlayerProcess() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.closeWriteChannel();  // the end of input stops the player, and then its relay
    if (!process_.waitForFinished(kWaitMs)) {
      process_.kill();
      process_.waitForFinished(kWaitMs);
    }
  }

  PlayerProcess(const PlayerProcess&) = delete;
  PlayerProcess& operator=(const PlayerProcess&) = delete;

  // The process that owns the player's name; 0 when it did not start.
  pid_t playerPid() const { return playerPid_; }
  pid_t startedPid() const { return static_cast<pid_t>(process_.processId()); }

  bool command(const QString& line) {
    process_.write((line + '\n').toUtf8());
    return !waitForLine(QStringLiteral("done ") + line).isEmpty();
  }

private:
  // The first line that starts with `start`, or empty when none came in time.
  QString waitForLine(const QString& start) {
    QDeadlineTimer deadline(kWaitMs);
    while (!deadline.hasExpired()) {
      while (process_.canReadLine()) {
        QString line = QString::fromUtf8(process_.readLine()).trimmed();
        if (line.startsWith(start)) return line;
      }
      if (process_.state() == QProcess::NotRunning) return {};
      process_.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    }
    return {};
  }

  QProcess process_;
  pid_t playerPid_ = 0;
};

class MediaDesktopTest : public testing::Test {
protected:
  std::unique_ptr<PlayerProcess> start(const QString& status, bool throughChild = false) {
    auto player = std::make_unique<PlayerProcess>(status, throughChild);
    EXPECT_NE(player->playerPid(), 0) << "the test player did not start";
    return player;
  }

  bool playing(pid_t pid) const { return Media::isPlaying(players_, pid); }

  MprisPlayers players_;
};

TEST_F(MediaDesktopTest, APlayerInAChildMakesTheParentPlaying) {
  auto player = start(QStringLiteral("Playing"));
  ASSERT_EQ(player->playerPid(), player->startedPid());
  EXPECT_TRUE(playing(getpid()));
  EXPECT_TRUE(playing(player->playerPid())) << "the player's own process plays";
  EXPECT_FALSE(playing(getppid()));
}

TEST_F(MediaDesktopTest, APlayerInAGrandchildDoesNotMakeTheGrandparentPlaying) {
  auto player = start(QStringLiteral("Playing"), /*throughChild=*/true);
  ASSERT_NE(player->playerPid(), player->startedPid());
  EXPECT_EQ(Media::processParent(player->playerPid()), player->startedPid());
  EXPECT_FALSE(playing(getpid()));
  EXPECT_TRUE(playing(player->startedPid())) << "the relay is the player's parent";
}

TEST_F(MediaDesktopTest, OnlyThePlayingStatusCountsAndItIsReadOnEveryQuestion) {
  auto player = start(QStringLiteral("Paused"));
  EXPECT_FALSE(playing(getpid()));
  ASSERT_TRUE(player->command(QStringLiteral("status Playing")));
  EXPECT_TRUE(playing(getpid()));
  ASSERT_TRUE(player->command(QStringLiteral("status Stopped")));
  EXPECT_FALSE(playing(getpid()));
}

TEST_F(MediaDesktopTest, ListsEveryPlayingPlayerAndNoOther) {
  auto first = start(QStringLiteral("Playing"));
  auto paused = start(QStringLiteral("Paused"));
  auto second = start(QStringLiteral("Playing"), /*throughChild=*/true);
  std::vector<pid_t> listed = players_.playingProcesses();
  std::sort(listed.begin(), listed.end());
  std::vector<pid_t> expected{first->playerPid(), second->playerPid()};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(listed, expected);
}

TEST_F(MediaDesktopTest, AHungPlayerCostsAtMostTheBoundAndDoesNotHideTheOthers) {
  auto playingPlayer = start(QStringLiteral("Playing"));
  auto hung = start(QStringLiteral("Playing"));
  ASSERT_EQ(::kill(hung->playerPid(), SIGSTOP), 0);
  QElapsedTimer clock;
  clock.start();
  std::vector<pid_t> listed = players_.playingProcesses();
  qint64 elapsed = clock.elapsed();
  ::kill(hung->playerPid(), SIGCONT);
  EXPECT_EQ(listed, std::vector<pid_t>{playingPlayer->playerPid()});
  // The name listing and the overlapping player calls: two rounds, plus scheduling slack.
  EXPECT_LT(elapsed, 2 * MprisPlayers::kCallTimeout.count() + 250);
}

TEST(MediaNoBusTest, NothingPlaysWithoutABusAndThatIsLoggedOnce) {
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
