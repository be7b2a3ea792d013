#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <algorithm>

#include "app/design/Pixels.h"
#include "app/model/ModelHarness.h"
#include "app/sensing/FakeTree.h"
#include "design/QBButtonBody.h"
#include "design/QBGroup.h"
#include "design/QBRow.h"
#include "design/QBSeparator.h"
#include "sensing/Observer.h"
#include "sensing/Prefs.h"
#include "shell/AccessRows.h"
#include "shell/OnboardingView.h"
#include "shell/SharingRow.h"

namespace qb {
namespace {

using Lines = std::vector<QString>;

// A model on the fake platform whose desktop has only the applications a test installs.
class OnboardingViewTest : public testing::Test, protected test::ModelHarness {
protected:
  OnboardingViewTest() {
    environment.set("XDG_DATA_HOME", (home / "data").string());
    environment.set("XDG_DATA_DIRS", (home / "system").string());
  }

  AppModel& make(bool trusted, bool sharing = false) {
    platform.accessibilityFake.trusted = trusted;
    model = std::make_unique<AppModel>(
        services(home / "Quillbrook"),
        sharing ? std::make_unique<Uploader>("https://share.invalid/", "K", "I-1",
                                             std::vector<std::string>{})
                : nullptr);
    return *model;
  }
  void installChromium() {
    std::filesystem::create_directories(home / "system/applications");
    test::writeFile(home / "system/applications/chromium.desktop",
                    "[Desktop Entry]\nType=Application\nName=Chromium\nExec=chromium\n");
  }
  fake::FakeAccessibility& bus() { return platform.accessibilityFake; }
  // The accessibility poll's next look.
  void poll() { timers.advance(AppModel::kAccessPollInterval); }
  // Brings a Chromium window to the front and lets the started model's observer read it.
  void chromiumInFront(const AXElement& window) {
    platform.workspaceFake.frontmost = RunningApplication{30, "chromium", "Chromium"};
    bus().applicationNode(30)->set(AXAttribute::focusedWindow, window);
    model->observer().refresh();
    timers.advance(Observer::kSettleDelay);
  }

  test::FakeTree tree{platform.accessibilityFake};
  std::unique_ptr<AppModel> model;
};

// Each row shown, as "title: what its accessory says", top to bottom.
Lines rows(const QWidget& within) {
  Lines lines;
  for (const QBRow* row : within.findChildren<QBRow*>()) {
    if (!row->isVisibleTo(&within)) continue;
    QString line = row->title() + ":";
    for (const QWidget* part : row->accessory()->findChildren<QWidget*>()) {
      if (!part->isVisibleTo(row)) continue;
      const auto* label = qobject_cast<const QLabel*>(part);
      const auto* button = qobject_cast<const QAbstractButton*>(part);
      line += " " + (label ? label->text() : button ? button->text() : part->accessibleName());
    }
    lines.push_back(line);
  }
  return lines;
}

int visibleSeparators(const QWidget& within) {
  const auto all = within.findChildren<QBSeparator*>();
  return static_cast<int>(std::count_if(all.begin(), all.end(),
                                        [&](auto* line) { return line->isVisibleTo(&within); }));
}

// Presses the button of the row titled `title`.
void press(const QWidget& within, const QString& title) {
  for (QBRow* row : within.findChildren<QBRow*>()) {
    if (row->title() == title) return row->accessory()->findChild<QAbstractButton*>()->click();
  }
  FAIL() << "no row " << title.toStdString();
}

TEST_F(OnboardingViewTest, AccessibilityRowAsksThenOffersToRetryUntilThePollFindsTheBusOn) {
  make(false);
  bus().trustOnRequest = false;
  AccessRows access(*model);
  EXPECT_EQ(rows(access), Lines{"Accessibility: Not allowed Allow"});
  EXPECT_EQ(visibleSeparators(access), 0) << "no browser installed, no browser row";

  press(access, "Accessibility");
  EXPECT_TRUE(access.askedAccessibility());
  EXPECT_EQ(rows(access), Lines{"Accessibility: Not allowed Retry"});
  EXPECT_FALSE(AccessRows(*model).askedAccessibility()) << "each view asks for itself";

  bus().trustOnRequest = true;
  press(access, "Accessibility");
  EXPECT_TRUE(bus().trusted);
  EXPECT_EQ(rows(access), Lines{"Accessibility: Not allowed Retry"}) << "until the poll";
  poll();
  EXPECT_EQ(rows(access), Lines{"Accessibility: Allowed"});
}

TEST_F(OnboardingViewTest, BrowserRowShowsEachAccessAndAsksThroughTheModel) {
  installChromium();
  make(false);
  AccessRows access(*model);
  EXPECT_EQ(rows(access), Lines{"Accessibility: Not allowed Allow"}) << "not looked at yet";

  model->refreshAutomation();
  ASSERT_EQ(model->automation().at(BrowserKind::safari), Access::notInstalled);
  EXPECT_EQ(rows(access),
            (Lines{"Accessibility: Not allowed Allow", "Chromium browsers: Not allowed Allow"}));
  EXPECT_EQ(visibleSeparators(access), 1);

  bus().trustOnRequest = false;
  press(access, AccessRows::kChromiumTitle);
  EXPECT_EQ(model->automation().at(BrowserKind::chrome), Access::denied);
  EXPECT_EQ(rows(access)[1], "Chromium browsers: Not allowed Retry");

  bus().trustOnRequest = true;
  press(access, AccessRows::kChromiumTitle);
  EXPECT_TRUE(bus().trusted);
  EXPECT_EQ(rows(access)[1], "Chromium browsers: Needs accessibility flag");
}

TEST_F(OnboardingViewTest, BrowserRowFollowsTheBusOnceThePollGrantsIt) {
  installChromium();
  make(false);
  model->refreshAutomation();
  AccessRows access(*model);
  press(access, "Accessibility");
  poll();
  EXPECT_EQ(rows(access),
            (Lines{"Accessibility: Allowed", "Chromium browsers: Needs accessibility flag"}));
}

TEST_F(OnboardingViewTest, ChromiumRowIsAllowedOnlyOnceAChromiumWindowShowsItsTabs) {
  environment.set("QB_MODEL_DIR", std::nullopt);
  installChromium();
  make(true).start();
  AccessRows access(*model);
  const QString needed = "Chromium browsers: Needs accessibility flag";
  ASSERT_EQ(rows(access), (Lines{"Accessibility: Allowed", needed})) << "the bus is on";
  const auto* need = access.findChildren<QBRow*>()[1]->accessory()->findChild<QLabel*>();
  EXPECT_TRUE(need->toolTip().contains("--force-renderer-accessibility"));

  // Started without the flag, a Chromium publishes its window's title and no page.
  const AXElement window = tree.add(AXRole::window);
  tree.node(window).set(AXAttribute::title, "Budget - Chromium");
  chromiumInFront(window);
  ASSERT_EQ(model->seen()->name, "Chromium") << "the window was read";
  EXPECT_EQ(rows(access)[1], needed);

  const AXElement page = tree.add(AXRole::webArea, &window);
  tree.node(page).set(AXAttribute::title, "Budget");
  tree.node(page).set(AXAttribute::url, "https://docs.example/budget");
  chromiumInFront(window);
  ASSERT_EQ(model->seen()->name, "docs.example");
  EXPECT_EQ(rows(access)[1], "Chromium browsers: Allowed");
}

TEST_F(OnboardingViewTest, SharingSwitchStoresTheSettingAndFollowsIt) {
  make(true, true);
  SharingRow row(*model);
  EXPECT_EQ(row.title(), "Share usage data");
  EXPECT_FALSE(row.toggle()->isChecked());

  row.toggle()->click();
  EXPECT_TRUE(model->prefs().sharing());
  EXPECT_TRUE(Prefs(defaults, loginItem).sharing()) << "stored";

  model->prefs().setSharing(false);  // as deleting the shared data does
  EXPECT_FALSE(row.toggle()->isChecked());
}

// What onboarding shows, top to bottom as a person reads it: texts, row titles and buttons.
Lines reading(OnboardingView& view) {
  view.resize(view.sizeHint());
  view.show();
  QCoreApplication::processEvents();
  std::vector<std::pair<int, QString>> seen;
  const auto add = [&](const QWidget* widget, const QString& text) {
    if (widget->isVisibleTo(&view)) seen.emplace_back(widget->mapTo(&view, QPoint()).y(), text);
  };
  for (const QLabel* label : view.findChildren<QLabel*>()) add(label, label->text());
  for (const QBRow* row : view.findChildren<QBRow*>()) add(row, row->title());
  for (const QBButtonBody* button : {view.testButton(), view.startButton()}) {
    add(button, button->text());
  }
  std::stable_sort(seen.begin(), seen.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  Lines lines;
  for (const auto& [y, text] : seen) {
    if (text != "Not allowed") lines.push_back(text);
  }
  return lines;
}

TEST_F(OnboardingViewTest, ShowsItsTextsInOrderAndTheSharingPartOnlyWithAServer) {
  int plainHeight = 0;
  {
    make(false);
    OnboardingView plain(*model, {}, {});
    EXPECT_EQ(reading(plain),
              (Lines{"Quillbrook", "Stay on task.", "Accessibility",
                     "Sees app, window, tab and agent session names.", "Test", "Start"}));
    plainHeight = plain.sizeHint().height();
  }
  make(false, true);
  OnboardingView sharing(*model, {}, {});
  EXPECT_EQ(reading(sharing),
            (Lines{"Quillbrook", "Stay on task.", "Accessibility",
                   "Sees app, window, tab and agent session names.", "Share usage data",
                   "Helps improve Quillbrook. Never sends page text, messages or passwords.",
                   "Test", "Start"}));
  EXPECT_GT(sharing.sizeHint().height(), plainHeight);
}

TEST_F(OnboardingViewTest, StartWaitsForAccessibilityAndTestNeverDoes) {
  installChromium();
  make(false);
  int tests = 0, starts = 0;
  OnboardingView view(
      *model, [&] { ++tests; }, [&] { ++starts; });
  view.show();
  EXPECT_TRUE(model->automation().contains(BrowserKind::chrome)) << "appearing looks at them";

  view.testButton()->click();
  QTest::mouseClick(view.startButton(), Qt::LeftButton);
  QTest::keyClick(&view, Qt::Key_Return);
  EXPECT_EQ(tests, 1);
  EXPECT_EQ(starts, 0);

  press(view, "Accessibility");
  poll();
  QTest::keyClick(&view, Qt::Key_Return);
  QTest::keyClick(&view, Qt::Key_Enter, Qt::KeypadModifier);
  QTest::keyClick(&view, Qt::Key_Return, Qt::ShiftModifier);  // not the default action
  view.startButton()->click();
  view.testButton()->click();
  EXPECT_EQ(starts, 3);
  EXPECT_EQ(tests, 2);
}

// Onboarding with everything it can show: a browser and a sharing server.
QImage screenshot(OnboardingView& view, const QString& name) {
  view.resize(view.sizeHint());
  view.show();
  QCoreApplication::processEvents();
  const QImage image = view.grab().toImage().convertToFormat(QImage::Format_ARGB32);
  EXPECT_TRUE(image.save(QStringLiteral(QB_SCREENSHOTS) + "/" + name));
  return image;
}

TEST_F(OnboardingViewTest, DrawsOnboardingForPeopleToLookAt) {
  installChromium();
  for (const bool on : {false, true}) {
    SCOPED_TRACE(on);
    make(on, true);
    OnboardingView view(*model, {}, {});
    const QImage image = screenshot(view, on ? "onboarding-on.png" : "onboarding-off.png");
    EXPECT_EQ(image.width(), OnboardingView::kWidth);
    // The browser's row appears as the view is shown: the view grows to it, squeezing nothing.
    for (const QBRow* row : view.findChildren<QBRow*>()) {
      if (!row->isVisible()) continue;
      EXPECT_GE(row->height(), QBRow::kMinimumHeight) << row->title().toStdString();
    }
    EXPECT_TRUE(test::near(image.pixelColor(2, 2), QB::bgBase));
    // Start is the primary fill, faded while it cannot be pressed.
    const QBButtonBody* start = view.startButton();
    const QPoint inStart = start->mapTo(&view, QPoint(4, start->height() / 2));
    EXPECT_TRUE(test::near(
        image.pixelColor(inStart),
        test::over(QB::fillPrimary, QB::bgBase, on ? 1 : QBButtonStyle::kDisabledOpacity)));
  }
}

TEST_F(OnboardingViewTest, DrawsTheRowsForPeopleToLookAt) {
  installChromium();
  make(false, true);
  model->refreshAutomation();
  test::Page page;
  auto* access = new QBGroup(std::nullopt, std::nullopt, QB::textMuted);
  auto* rowsView = new AccessRows(*model);
  access->addRow(rowsView);
  page.add(access, QRect(0, 0, 336, access->sizeHint().height()));
  auto* sharing = new QBGroup(std::nullopt, std::nullopt, QB::textMuted);
  auto* sharingRow = new SharingRow(*model);
  sharing->addRow(sharingRow);
  bus().trustOnRequest = false;
  press(*rowsView, "Accessibility");
  press(*rowsView, AccessRows::kChromiumTitle);
  sharingRow->toggle()->click();
  page.add(sharing, QRect(0, access->sizeHint().height() + 16, 336, sharing->sizeHint().height()));
  const QImage image = page.image();
  ASSERT_TRUE(image.save(QStringLiteral(QB_SCREENSHOTS) + "/access-rows.png"));
  // The switch is on: its track is the accent at its middle's left, left of the knob.
  const SettingSwitch* toggle = sharingRow->toggle();
  const QPoint inTrack = toggle->mapTo(&page.window(), QPoint(5, toggle->height() / 2));
  EXPECT_TRUE(test::near(image.pixelColor(inTrack), QB::accent));
}

}  // namespace
}  // namespace qb
