// Whether a process plays media, on hand-set players and a hand-written process tree; and the
// parent lookup against the system's own process table.

#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <map>
#include <vector>

#include "platform/fake/FakePlatform.h"
#include "sensing/Media.h"

namespace qb {
namespace {

// 100 is the application, 200 its child, 300 its grandchild under 200, 400 unrelated.
constexpr pid_t kApp = 100, kChild = 200, kGrandchild = 300, kStranger = 400;

class MediaTest : public testing::Test {
protected:
  bool playing(pid_t pid) {
    return Media::isPlaying(players_, pid, [this](pid_t process) -> std::optional<pid_t> {
      lookups_.push_back(process);
      auto found = parents_.find(process);
      return found == parents_.end() ? std::nullopt : std::optional(found->second);
    });
  }

  fake::FakeMediaPlayers players_;
  std::map<pid_t, pid_t> parents_{{1, 0}, {kChild, kApp}, {kGrandchild, kChild}, {kStranger, 1}};
  std::vector<pid_t> lookups_;
};

TEST_F(MediaTest, ThePlayersOfTheProcessAndItsChildrenCountButNoOthers) {
  const std::pair<std::vector<pid_t>, bool> cases[] = {
      {{}, false},          {{kApp}, true},
      {{kChild}, true},     {{kGrandchild}, false},
      {{kStranger}, false}, {{kStranger, kGrandchild, kChild}, true},
  };
  for (const auto& [players, expected] : cases) {
    SCOPED_TRACE(testing::PrintToString(players));
    players_.playing = players;
    EXPECT_EQ(playing(kApp), expected);
  }
}

TEST_F(MediaTest, AsksOnceAndLooksUpOnlyOtherProcessesUntilAMatch) {
  parents_.erase(kChild);  // a process that ended after the players were listed
  players_.playing = {kChild, kStranger, kApp, kGrandchild};
  EXPECT_TRUE(playing(kApp));
  EXPECT_EQ(players_.questions, 1);
  EXPECT_EQ(lookups_, (std::vector<pid_t>{kChild, kStranger}));
}

TEST_F(MediaTest, NoProcessIdIsNeverPlaying) {
  players_.playing = {1, 0};  // the first process's parent reads as 0
  EXPECT_FALSE(playing(0));
  EXPECT_FALSE(playing(-1));
  EXPECT_EQ(players_.questions, 0);
}

TEST(MediaProcessParentTest, ReadsTheParentEvenPastANameWithParentheses) {
  char saved[17] = {};
  ASSERT_EQ(prctl(PR_GET_NAME, saved), 0);
  ASSERT_EQ(prctl(PR_SET_NAME, "a) 7 (b) 9"), 0);
  std::optional<pid_t> parent = Media::processParent(getpid());
  prctl(PR_SET_NAME, saved);
  EXPECT_EQ(parent, getppid());
}

TEST(MediaProcessParentTest, NoParentForAProcessThatDoesNotExist) {
  for (pid_t pid : {0, -5, 1 << 30}) {  // 2^30 is beyond the kernel's largest pid_max, 2^22
    SCOPED_TRACE(pid);
    EXPECT_EQ(Media::processParent(pid), std::nullopt);
  }
}

}  // namespace
}  // namespace qb
