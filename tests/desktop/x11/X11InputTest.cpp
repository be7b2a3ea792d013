#include <unistd.h>

#include <QGuiApplication>
#include <QKeyEvent>
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

  // Shows the field as a window of that title, and gives it the focus.
  static void showFocused(QLineEdit& field, const QString& title) {
    field.setWindowTitle(title);
    field.show();
    ASSERT_NE(test::visibleWindowNamed("^" + title + "$"), 0u);
    test::activate(static_cast<WindowId>(field.winId()));
    ASSERT_TRUE(test::waitUntil([&] { return field.hasFocus(); }))
        << title.toStdString() << " is active, and its field never took the focus";
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
  ASSERT_NO_FATAL_FAILURE(showFocused(field, "qb-field"));

  X11KeyPoster keys(*desktop_);
  EXPECT_TRUE(keys.type(::getpid(), "old"));
  ASSERT_TRUE(test::waitUntil([&] { return field.text() == "old"; }))
      << "the field holds " << field.text().toStdString();
  // Select all, then type over it: the chord's modifier is held and let go.
  EXPECT_TRUE(keys.post(::getpid(), {.key = "a", .control = true}));
  EXPECT_TRUE(keys.type(::getpid(), "Hi, Q!"));
  EXPECT_TRUE(keys.post(::getpid(), {.key = "Return"}));
  EXPECT_TRUE(test::waitUntil([&] { return field.text() == "Hi, Q!"; }))
      << "the field holds " << field.text().toStdString();

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
  int returns = 0;
  QObject::connect(&field, &QLineEdit::returnPressed, [&] { ++returns; });
  ASSERT_NO_FATAL_FAILURE(showFocused(field, "qb-grab-field"));

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

// A line edit that follows Ctrl as it is told of it, and remembers whether Ctrl was down when the
// first other key came.
class CtrlWatchingField : public QLineEdit {
public:
  bool ctrlHeld = false;
  std::optional<bool> ctrlHeldAtFirstKey;

protected:
  bool event(QEvent* event) override {
    const bool press = event->type() == QEvent::KeyPress;
    if (press || event->type() == QEvent::KeyRelease) {
      if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Control) {
        ctrlHeld = press;
      } else if (press && !ctrlHeldAtFirstKey) {
        ctrlHeldAtFirstKey = ctrlHeld;
      }
    }
    return QLineEdit::event(event);
  }
};

// The prompt's chords pressed as people press them: Ctrl let go before W, together with it, after
// it, or let go and pressed again while W is down; a letter still going up as Return or Ctrl+W
// goes down.
// The chord answers once, as its key goes up, and the keys posted in answer reach the focused
// window. That window saw Ctrl go down before the grab took the keyboard: it must see Ctrl go up
// before those keys, or a browser takes the next Ctrl for the held key repeating and drops the
// chord it begins. A Ctrl the user holds again stays held, and a letter is not typed twice.
TEST_F(X11InputTest, AChordAnswersOnceAsItsKeyGoesUpAndTheWindowSeesItsCtrlGoUpFirst) {
  CtrlWatchingField field;
  ASSERT_NO_FATAL_FAILURE(showFocused(field, "qb-chord-field"));
  // A letter held through the chord must not repeat: another test may have made repeats quick.
  run("xset", {"r", "off"});

  X11KeyPoster keys(*desktop_);
  X11KeyGrab grab(desktop_->connection());
  const auto ctrlDown = [] {
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
  };
  const KeyChord closeWindow{.key = "w", .control = true};
  const KeyChord confirm{.key = "Return"};
  struct Order {
    const char* name;
    QStringList keys;  // xdotool's words
    KeyChord chord;
    QString typed;  // what the field holds once the answer's x arrived
  };
  const std::vector<Order> orders = {
      {"Ctrl up first",
       {"keydown", "ctrl", "keydown", "w", "keyup", "ctrl", "keyup", "w"},
       closeWindow,
       "x"},
      {"together", {"keydown", "ctrl", "w", "keyup", "ctrl", "w"}, closeWindow, "x"},
      {"Ctrl up last",
       {"keydown", "ctrl", "keydown", "w", "keyup", "w", "keyup", "ctrl"},
       closeWindow,
       "x"},
      {"a letter still going up",
       {"keydown", "a", "keydown", "Return", "keyup", "a", "keyup", "Return"},
       confirm,
       "ax"},
      // Ctrl is given back as W goes up; the letter let go meanwhile is not typed again.
      {"a letter still going up, then Ctrl, while W is down",
       {"keydown", "a", "keydown", "ctrl", "keydown", "w", "keyup", "a", "keyup", "ctrl", "keyup",
        "w"},
       closeWindow,
       "ax"},
      // Typed with Ctrl held, x would cut instead: nothing is typed, the test lets Ctrl go.
      {"Ctrl pressed again",
       {"keydown", "ctrl", "keydown", "w", "keyup", "ctrl", "keydown", "ctrl", "keyup", "w"},
       closeWindow,
       ""},
  };
  for (const Order& order : orders) {
    SCOPED_TRACE(order.name);
    field.clear();
    field.ctrlHeldAtFirstKey.reset();
    std::vector<KeyChord> answered;
    ASSERT_TRUE(grab.grab({closeWindow, confirm}, [&](const KeyChord& chord) {
      answered.push_back(chord);
      grab.release();
      if (!ctrlDown()) {
        EXPECT_TRUE(keys.post(::getpid(), {.key = "x"}));
      }
    }));
    run("xdotool", order.keys);
    ASSERT_TRUE(test::waitUntil([&] { return !answered.empty(); })) << "no answer";
    if (order.typed.isEmpty()) {
      EXPECT_TRUE(ctrlDown()) << "the user's Ctrl was let go for them";
      run("xdotool", {"keyup", "ctrl"});
    } else {
      EXPECT_TRUE(test::waitUntil([&] { return field.text() == order.typed; }))
          << field.text().toStdString();
    }
    test::waitUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_EQ(answered, std::vector<KeyChord>{order.chord});
    EXPECT_FALSE(field.ctrlHeld) << "the window takes Ctrl as still held";
    if (order.chord == closeWindow && !order.typed.isEmpty()) {
      EXPECT_EQ(field.ctrlHeldAtFirstKey, false) << "the answer's keys came before Ctrl went up";
    }
  }
  run("xset", {"r", "on"});
}

}  // namespace
}  // namespace qb
