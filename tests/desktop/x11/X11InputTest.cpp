#include <unistd.h>

#include <QLineEdit>

#include "desktop/x11/X11TestSupport.h"
#include "platform/linux/X11InputMonitor.h"
#include "platform/linux/X11KeyGrab.h"
#include "platform/linux/X11KeyPoster.h"

namespace qb {
namespace {

using test::run;

class X11InputTest : public ::testing::Test {
protected:
  void SetUp() override {
    desktop_ = X11Desktop::open();
    ASSERT_NE(desktop_, nullptr);
    input_ = std::make_unique<X11InputMonitor>(desktop_->connection());
  }

  // Runs the event loop until the counts since `before` are `expected`, then a while longer, so
  // that a count too many shows too.
  InputCounts countsAfter(const InputCounts& before, const InputCounts& expected) {
    test::waitUntil([&] { return input_->counts().since(before) == expected; });
    test::waitUntil([] { return false; }, std::chrono::milliseconds(100));
    return input_->counts().since(before);
  }

  std::unique_ptr<X11Desktop> desktop_;
  std::unique_ptr<X11InputMonitor> input_;
};

TEST_F(X11InputTest, CountsKeysLeftAndRightClicksWheelStepsAndMoves) {
  const InputCounts before = input_->counts();
  run("xdotool", {"key", "a", "b", "Return"});
  run("xdotool", {"click", "1", "click", "3", "click", "2"});  // the middle button is no click
  run("xdotool", {"click", "4", "click", "5", "click", "6", "click", "7"});
  run("xdotool", {"mousemove_relative", "5", "5"});
  EXPECT_EQ(countsAfter(before, {3, 2, 4, 1}), (InputCounts{3, 2, 4, 1}));

  EXPECT_LT(input_->secondsSinceLastInput(), 1.0);
  const double idleBefore = input_->secondsSinceLastInput();
  test::waitUntil([] { return false; }, std::chrono::milliseconds(300));
  EXPECT_GT(input_->secondsSinceLastInput(), idleBefore);
}

TEST_F(X11InputTest, KeysArePostedOnlyToTheFocusedProcess) {
  QLineEdit field;
  field.setWindowTitle("qb-field");
  field.show();
  ASSERT_NE(test::visibleWindowNamed("^qb-field$"), 0u);
  test::activate(static_cast<WindowId>(field.winId()));
  ASSERT_TRUE(test::waitUntil([&] { return field.hasFocus(); }));

  X11KeyPoster keys(*desktop_);
  EXPECT_TRUE(keys.type(::getpid(), "old"));
  ASSERT_TRUE(test::waitUntil([&] { return field.text() == "old"; }));
  // Select all, then type over it: the chord's modifier is held and let go.
  EXPECT_TRUE(keys.post(::getpid(), {.key = "a", .control = true}));
  EXPECT_TRUE(keys.type(::getpid(), "Hi, Q!"));
  EXPECT_TRUE(keys.post(::getpid(), {.key = "Return"}));
  EXPECT_TRUE(test::waitUntil([&] { return field.text() == "Hi, Q!"; }));

  // Nothing reaches a window that is not the process's, nor a text with a character no key types.
  EXPECT_FALSE(keys.post(::getpid() + 1, {.key = "x"}));
  EXPECT_FALSE(keys.type(::getpid() + 1, "x"));
  EXPECT_FALSE(keys.type(::getpid(), "x\u20ac"));
  EXPECT_FALSE(keys.post(::getpid(), {.key = "NoSuchKey"}));
  test::waitUntil([] { return false; }, std::chrono::milliseconds(100));
  EXPECT_EQ(field.text(), "Hi, Q!");
}

// The answer to a grabbed chord posts keys of its own (Back to work closes the tab with Ctrl+W).
// While the grabbed key is down, the X server hands every key to the grabbing client, so keys
// posted then would never reach the focused window; a key's repeats must not answer early either.
TEST_F(X11InputTest, KeysPostedInAnswerToAGrabbedChordReachTheFocusedWindow) {
  QLineEdit field;
  field.setWindowTitle("qb-grab-field");
  int returns = 0;
  QObject::connect(&field, &QLineEdit::returnPressed, [&] { ++returns; });
  field.show();
  ASSERT_NE(test::visibleWindowNamed("^qb-grab-field$"), 0u);
  test::activate(static_cast<WindowId>(field.winId()));
  ASSERT_TRUE(test::waitUntil([&] { return field.hasFocus(); }));

  X11KeyPoster keys(*desktop_);
  X11KeyGrab grab(desktop_->connection());
  std::vector<KeyChord> answered;
  // Answers as the prompt does: lets the keys go, then posts.
  ASSERT_TRUE(grab.grab({{.key = "Return"}}, [&](const KeyChord& chord) {
    answered.push_back(chord);
    grab.release();
    EXPECT_TRUE(keys.post(::getpid(), {.key = "x"}));
  }));

  // Held as a person holds it: the grab has the press before the key goes up, and the key
  // repeats meanwhile, the server's delay before a repeat being made as short as it goes.
  constexpr int kRepeatDelayMs = 1;
  constexpr int kRepeatsPerSecond = 100;
  run("xset", {"r", "rate", QString::number(kRepeatDelayMs), QString::number(kRepeatsPerSecond)});
  const InputCounts before = input_->counts();
  run("xdotool", {"keydown", "Return"});
  const bool pressSeen = test::waitUntil([&] { return input_->counts().since(before).keys == 1; });
  run("xdotool", {"keyup", "Return"});
  ASSERT_TRUE(pressSeen);

  EXPECT_TRUE(test::waitUntil([&] { return field.text() == "x"; })) << field.text().toStdString();
  EXPECT_EQ(answered, std::vector<KeyChord>{{.key = "Return"}});
  EXPECT_EQ(returns, 0) << "the grabbed chord reached the focused window";
}

}  // namespace
}  // namespace qb
