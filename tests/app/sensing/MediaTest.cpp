#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <map>

#include "platform/fake/FakePlatform.h"
#include "sensing/Media.h"

namespace qb {
namespace {

TEST(MediaTest, ThePlayersOfTheProcessAndItsDirectChildrenCountOnly) {
  // 100 is the application, 200 its child, 300 its grandchild, 400 unrelated, 500 gone; the
  // first process, 1, has parent 0.
  const std::map<pid_t, pid_t> parents{{1, 0}, {200, 100}, {300, 200}, {400, 1}};
  const std::tuple<pid_t, std::vector<pid_t>, bool> cases[] = {
      {100, {}, false},    {100, {100}, true},           {100, {200}, true},
      {100, {300}, false}, {100, {400, 300, 200}, true}, {100, {400}, false},
      {100, {500}, false}, {0, {1, 0}, false},           {-1, {1, 0}, false},
  };
  for (const auto& [pid, playing, expected] : cases) {
    SCOPED_TRACE(testing::PrintToString(std::tuple(pid, playing)));
    fake::FakeMediaPlayers players;
    players.playing = playing;
    EXPECT_EQ(Media::isPlaying(players, pid,
                               [&](pid_t process) -> std::optional<pid_t> {
                                 auto found = parents.find(process);
                                 if (found == parents.end()) return std::nullopt;
                                 return found->second;
                               }),
              expected);
    EXPECT_EQ(players.questions, pid > 0 ? 1 : 0);
  }
}

TEST(MediaTest, ReadsAParentPastANameWithParenthesesAndNoneForNoProcess) {
  char saved[17] = {};
  ASSERT_EQ(prctl(PR_GET_NAME, saved), 0);
  ASSERT_EQ(prctl(PR_SET_NAME, "a) 7 (b) 9"), 0);
  std::optional<pid_t> parent = Media::processParent(getpid());
  prctl(PR_SET_NAME, saved);
  EXPECT_EQ(parent, getppid());
  for (pid_t pid : {0, -5, 1 << 30}) EXPECT_EQ(Media::processParent(pid), std::nullopt) << pid;
}

}  // namespace
}  // namespace qb
