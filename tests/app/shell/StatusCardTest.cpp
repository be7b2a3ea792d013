#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <cmath>
#include <limits>

#include "app/model/ModelHarness.h"
#include "design/AppIcon.h"
#include "design/Mark.h"
#include "design/QB.h"
#include "model/AppModel.h"
#include "shell/ElidedText.h"
#include "shell/StateLabel.h"
#include "shell/StatusCard.h"

namespace qb {

// A model on the fake platform whose state the tests set field by field, announcing each change
// as the model's own setters do, so that the card must follow the model to pass.
class StatusCardTest : public testing::Test, protected test::ModelHarness {
protected:
  using Kind = AppModel::Status::Kind;
  using Property = AppModel::Property;

  StatusCardTest() : model(services(home / "Quillbrook")) {}

  void setAccess(bool granted) { model.setAccessibility(granted); }
  void setModel(AppModel::ModelState state) { model.setModelState(state); }
  void setPaused(bool paused) { model.assign(model.paused_, paused, Property::paused); }
  void setBreak(std::optional<Date> until) {
    model.assign(model.breakUntil_, until, Property::breakUntil);
  }
  void goAway() { model.assign(model.idleAway_, true, Property::idleAway); }
  void protect(std::vector<std::string> work = {}) {
    model.assign(model.protecting_, true, Property::protecting);
    model.assign(model.workingOn_, std::move(work), Property::workingOn);
  }
  void learn(double seconds) { model.setLearned(seconds); }
  void see(AppModel::Seen seen) {
    model.assign(model.seen_, std::optional<AppModel::Seen>(std::move(seen)), Property::seen);
  }

  // The card as the tray menu shows it: a window of its own at the size its rows take.
  std::unique_ptr<StatusCard> card(Date now) {
    auto made = std::make_unique<StatusCard>(model, now);
    made->show();
    QCoreApplication::processEvents();
    return made;
  }
  // The card as the dark menu shows it; the menu draws the background, the card only its rows.
  static QImage draw(StatusCard& card) {
    QCoreApplication::processEvents();
    QImage image(card.size(), QImage::Format_ARGB32);
    image.fill(QB::bgBase);
    card.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
  }
  static void save(const QImage& image, const QString& name) {
    ASSERT_TRUE(image.save(QStringLiteral(QB_SCREENSHOTS) + "/" + name));
  }

  AppModel model;
};

namespace {

const AppModel::Seen kEditor{"code.example", "org.example.Editor", 0, ActivityKind::work, true};

// A wall-clock date at a time of day here.
Date localDate(int hour, int minute) {
  const QDateTime time(QDate(2024, 3, 5), QTime(hour, minute));
  return Date::fromUnix(static_cast<double>(time.toSecsSinceEpoch()));
}

bool shown(const QWidget& part, const QWidget& card) { return part.isVisibleTo(&card); }

TEST_F(StatusCardTest, EachStateHasItsWordAndSentenceAndOnlyWatchingShowsWhatIsInFront) {
  const QLocale before;
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  const Date now = localDate(13, 55);
  see(kEditor);
  learn(150);
  auto shownCard = card(now);
  const StatusCard& view = *shownCard;

  // Each step adds a state of lower precedence under the ones before, then the ones before are
  // lifted one by one, so each row is the card following the model's changes.
  struct Expected {
    QString word;
    QString sentence;
    bool seen;
  };
  const auto check = [&](const Expected& expected) {
    EXPECT_EQ(view.stateLabel().text(), expected.word);
    EXPECT_EQ(view.sentence().text(), expected.sentence);
    EXPECT_EQ(view.sentence().maxLines(), StatusCard::kSentenceLines);
    EXPECT_EQ(shown(view.seenRow(), view), expected.seen);
  };
  {
    SCOPED_TRACE("learning");
    check({"Learning", "Learning your work, 2 of 3 min", true});
    EXPECT_EQ(view.seenName().text(), "code.example");
    EXPECT_FALSE(view.findChild<Mark*>()->isLive());
  }
  protect();
  {
    SCOPED_TRACE("protecting, no work named");
    check({"Focused", "Your work", true});
    EXPECT_TRUE(view.findChild<Mark*>()->isLive());
  }
  goAway();
  {
    SCOPED_TRACE("away");
    check({"Away", "Not counted until you're back.", true});
  }
  setBreak(localDate(14, 5));
  {
    SCOPED_TRACE("on break");
    check({"On break, 10:00", "Back at 2:05 PM.", false});
  }
  setPaused(true);
  {
    SCOPED_TRACE("paused");
    check({"Paused", "Nothing is watched until you resume.", false});
  }
  setModel(AppModel::ModelState::failed);
  {
    SCOPED_TRACE("model unavailable");
    check({"Model unavailable", "Can't read what's in front. It retries every minute.", false});
    ASSERT_NE(view.stateLabel().warningBadge(), nullptr);
    EXPECT_EQ(view.stateLabel().warningBadge()->tone(), StatusBadge::Tone::warning);
  }
  setAccess(false);
  {
    SCOPED_TRACE("needs access");
    check({"Needs Accessibility", "Allow Accessibility to start.", false});
    EXPECT_EQ(view.stateLabel().warningBadge()->text(), "Needs Accessibility");
  }
  setAccess(true);
  setModel(AppModel::ModelState::ready);
  setPaused(false);
  EXPECT_EQ(view.stateLabel().warningBadge(), nullptr);
  EXPECT_EQ(view.stateLabel().text(), "On break, 10:00");
  QLocale::setDefault(before);
}

TEST_F(StatusCardTest, LearningCountsWholeMinutesUpToTheGoal) {
  auto view = card(wallClock.now());
  const struct {
    double learned;
    const char* sentence;
  } cases[] = {
      {0, "Learning your work, 0 of 3 min"},
      {119, "Learning your work, 1 of 3 min"},
      {179.9, "Learning your work, 2 of 3 min"},
      {180, "Learning your work, 3 of 3 min"},
      {250, "Learning your work, 3 of 3 min"},
      {std::numeric_limits<double>::quiet_NaN(), "Learning your work, 0 of 3 min"},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(each.learned);
    learn(each.learned);
    EXPECT_EQ(view->sentence().text(), each.sentence);
  }
}

TEST_F(StatusCardTest, ProtectingNamesTheWorkOnOneLine) {
  auto view = card(wallClock.now());
  protect({"quarterly report", "slides"});
  EXPECT_EQ(view->sentence().text(), "Working on quarterly report, slides");
  EXPECT_EQ(view->sentence().maxLines(), 1);
  ASSERT_EQ(view->sentence().runs().size(), 2u);
  EXPECT_EQ(view->sentence().runs()[1].color, QB::text) << "the work stands out";

  protect({"the quarterly report for the board, with every appendix", "the slides for Monday"});
  const QStringList lines = view->sentence().shownLines();
  ASSERT_EQ(lines.size(), 1);
  EXPECT_TRUE(lines[0].startsWith("Working on the quarterly")) << lines[0].toStdString();
  EXPECT_TRUE(lines[0].endsWith(u'\u2026')) << lines[0].toStdString();

  protect({});
  EXPECT_EQ(view->sentence().text(), "Your work");
}

TEST_F(StatusCardTest, TheSeenRowSaysHowThePageWasClassified) {
  auto view = card(wallClock.now());
  const struct {
    bool analyzed;
    std::optional<ActivityKind> activity;
    const char* word;
  } cases[] = {
      {false, ActivityKind::work, ""},
      {true, ActivityKind::work, "Looks like work"},
      {true, ActivityKind::entertainment, "Looks like entertainment"},
      {true, ActivityKind::communication, "Messaging"},
      {true, ActivityKind::neutral, "Neutral"},
      {true, std::nullopt, "Unsure"},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(each.word);
    see({"video.example", "firefox-esr", 4242, each.activity, each.analyzed});
    EXPECT_EQ(view->seenName().text(), "video.example");
    EXPECT_EQ(view->seenActivity().text(), each.word);
    EXPECT_EQ(view->findChild<AppIcon*>()->bundleID(), "firefox-esr");
  }
}

TEST_F(StatusCardTest, ABreakCountsDownAsItsOwnerMovesTheTimeOn) {
  const Date start = wallClock.now();
  setBreak(start + 300);
  auto view = card(start);
  const struct {
    double elapsed;
    const char* word;
  } cases[] = {{0, "On break, 5:00"},      {0.5, "On break, 5:00"}, {1, "On break, 4:59"},
               {240.99, "On break, 1:00"}, {300, "On break, 0:00"}, {305, "On break, 0:00"}};
  for (const auto& each : cases) {
    SCOPED_TRACE(each.elapsed);
    view->setNow(start + each.elapsed);
    EXPECT_EQ(view->stateLabel().text(), each.word);
  }
}

TEST_F(StatusCardTest, DrawsTheCardForPeopleToLookAt) {
  see(kEditor);
  protect({"quarterly report", "slides"});
  auto protecting = card(wallClock.now());
  const QImage image = draw(*protecting);
  save(image, "status-card-protecting.png");
  EXPECT_EQ(protecting->width(), StatusCard::kWidth);
  // The closed lock is drawn in the accent colour.
  const QRect lock = protecting->stateLabel().geometry();
  bool accent = false;
  for (int x = lock.left(); x < lock.left() + StateLabel::kSmall.symbolFrame; ++x) {
    for (int y = lock.top(); y <= lock.bottom(); ++y)
      accent |= image.pixelColor(x, y) == QB::accent;
  }
  EXPECT_TRUE(accent);

  const Date now = wallClock.now();
  const int withSeenRow = protecting->height();
  setBreak(now + 299);
  auto onBreak = card(now);
  save(draw(*onBreak), "status-card-break.png");
  EXPECT_FALSE(onBreak->seenRow().isVisible());
  EXPECT_LT(onBreak->height(), withSeenRow) << "no seen row";

  setBreak(std::nullopt);
  setAccess(false);
  auto needsAccess = card(now);
  save(draw(*needsAccess), "status-card-needs-access.png");
  EXPECT_NE(needsAccess->stateLabel().warningBadge(), nullptr);
}

TEST(StateLabelTest, DrawsEveryStateInBothSizesForPeopleToLookAt) {
  using Kind = AppModel::Status::Kind;
  const Date now;
  const AppModel::Status states[] = {{Kind::protecting, {}},    {Kind::learning, {}},
                                     {Kind::onBreak, now + 95}, {Kind::paused, {}},
                                     {Kind::needsAccess, {}},   {Kind::away, {}}};
  // Drawn twice over, to see the symbols' shapes.
  constexpr int kScale = 2;
  constexpr int kRow = 30;
  QImage sheet(2 * 200 * kScale, std::size(states) * kRow * kScale, QImage::Format_ARGB32);
  sheet.setDevicePixelRatio(kScale);
  sheet.fill(QB::bgBase);
  QPainter painter(&sheet);
  int y = 0;
  for (const AppModel::Status& status : states) {
    for (const bool large : {true, false}) {
      StateLabel label(status, now, large);
      label.resize(label.sizeHint());
      EXPECT_EQ(label.warningBadge() != nullptr, status.kind == Kind::needsAccess);
      label.render(&painter, QPoint(large ? 8 : 208, y + (kRow - label.height()) / 2), QRegion(),
                   QWidget::DrawChildren);
    }
    y += kRow;
  }
  painter.end();
  EXPECT_TRUE(sheet.save(QStringLiteral(QB_SCREENSHOTS) + "/state-labels.png"));
}

}  // namespace
}  // namespace qb
