// Whether a process plays media, on hand-driven players and a hand-written process tree; and the
// parent lookup against the system's own process table.

#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include "platform/fake/FakePlatform.h"
#include "sensing/Media.h"

namespace qb {
namespace {

// 100 is the application; 200 its child, 300 its grandchild under 200; 400 unrelated.
constexpr pid_t kApp = 100;
constexpr pid_t kChild = 200;
constexpr pid_t kGrandchild = 300;
constexpr pid_t kStranger = 400;

class MediaTest : public testing::Test {
protected:
  bool playing(pid_t pid) {
    return Media::isPlaying(players_, pid, [this](pid_t process) -> std::optional<pid_t> {
      lookups_.push_back(process);
      auto found = parents_.find(process);
      if (found == parents_.end()) return std::nullopt;
      return found->second;
    });
  }

  fake::FakeMediaPlayers players_;
  std::map<pid_t, pid_t> parents_{{kApp, 1}, {kChild, kApp}, {kGrandchild, kChild}, {kStranger, 1}};
  std::vector<pid_t> lookups_;
};

TEST_F(MediaTest, ThePlayersOfTheProcessAndItsChildrenCountButNoOthers) {
  struct Case {
    std::vector<pid_t> playing;
    bool expected;
  };
  const Case cases[] = {
      {{}, false},          {{kApp}, true},
      {{kChild}, true},     {{kGrandchild}, false},
      {{kStranger}, false}, {{kStranger, kGrandchild, kChild}, true},
      {{1}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.playing));
    players_.playing = c.playing;
    EXPECT_EQ(playing(kApp), c.expected);
  }
}

TEST_F(MediaTest, AChildPlayerMakesOnlyItsParentPlaying) {
  players_.playing = {kGrandchild};
  EXPECT_TRUE(playing(kChild));
  EXPECT_TRUE(playing(kGrandchild));
  EXPECT_FALSE(playing(kApp));
  EXPECT_FALSE(playing(kStranger));
}

TEST_F(MediaTest, AProcessWhoseParentCannotBeReadIsNoChild) {
  parents_.erase(kChild);
  players_.playing = {kChild};
  EXPECT_FALSE(playing(kApp));
  EXPECT_EQ(lookups_, std::vector<pid_t>{kChild});
}

TEST_F(MediaTest, AsksThePlayersOnceAndLooksUpOnlyOtherProcesses) {
  players_.playing = {kStranger, kApp, kChild};
  EXPECT_TRUE(playing(kApp));
  EXPECT_EQ(players_.questions, 1);
  EXPECT_EQ(lookups_, std::vector<pid_t>{kStranger}) << "stops at the first match";
}

TEST_F(MediaTest, NoProcessIdIsNeverPlaying) {
  // The first process's parent reads as 0: that must not make "no process" its parent.
  parents_[1] = 0;
  players_.playing = {1, 0};
  EXPECT_FALSE(playing(0));
  EXPECT_FALSE(playing(-1));
  EXPECT_EQ(players_.questions, 0);
}

TEST(MediaProcessParentTest, ReadsTheParentFromTheProcessTable) {
  EXPECT_EQ(Media::processParent(getpid()), getppid());
  EXPECT_EQ(Media::processParent(1), 0);
}

TEST(MediaProcessParentTest, ANameWithParenthesesAndSpacesDoesNotShiftTheFields) {
  char saved[17] = {};
  ASSERT_EQ(prctl(PR_GET_NAME, saved), 0);
  ASSERT_EQ(prctl(PR_SET_NAME, "a) 7 (b) 9"), 0);
  std::optional<pid_t> parent = Media::processParent(getpid());
  prctl(PR_SET_NAME, saved);
  EXPECT_EQ(parent, getppid());
}

TEST(MediaProcessParentTest, NoParentForAProcessThatDoesNotExist) {
  EXPECT_EQ(Media::processParent(0), std::nullopt);
  EXPECT_EQ(Media::processParent(-5), std::nullopt);
  // Larger than any process id the kernel hands out (pid_max is at most 2^22).
  EXPECT_EQ(Media::processParent(1 << 30), std::nullopt);
}

}  // namespace
}  // namespace qb
