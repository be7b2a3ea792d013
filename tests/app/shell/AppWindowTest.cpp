#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <functional>

#include "app/design/Pixels.h"
#include "app/model/ModelHarness.h"
#include "design/QB.h"
#include "design/Symbols.h"
#include "model/AppModel.h"
#include "platform/UserDefaults.h"
#include "sensing/Prefs.h"
#include "shell/AppWindow.h"
#include "shell/PageChrome.h"
#include "shell/SelectedPage.h"
#include "shell/Sidebar.h"
#include "shell/WindowContent.h"

namespace qb {
namespace {

// The main window's controller over a model on the fake platform, as the tray opens it.
class AppWindowTest : public testing::Test, protected test::ModelHarness {
protected:
  AppWindowTest() : model(services(home / "Quillbrook")), controller(model) {}

  WindowContent& window() { return *controller.window(); }
  const std::vector<SidebarRow*>& rows() { return window().sidebar().rows(); }
  SidebarRow& row(AppPage page) { return *rows().at(static_cast<size_t>(shortcutDigit(page) - 1)); }
  QWidget* pageView() { return window().selectedPage().pageView(); }
  // What the page area says: the texts of its labels, top to bottom.
  // The page whose view is shown, by the name its view carries.
  std::optional<AppPage> shownPage() {
    return parseAppPage(pageView()->objectName().toStdString());
  }
  // The rows that show themselves selected.
  QStringList selectedRows() {
    QStringList titles;
    for (const SidebarRow* each : rows()) {
      if (each->isSelected()) titles << each->text();
    }
    return titles;
  }
  void pressShortcut(int digit) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    QTest::keyClick(&window(), static_cast<Qt::Key>(Qt::Key_0 + digit), Qt::ControlModifier);
  }
  static void save(QWidget& widget, const QString& name) {
    QCoreApplication::processEvents();
    ASSERT_TRUE(widget.grab().save(QStringLiteral(QB_SCREENSHOTS) + "/" + name));
  }

  AppModel model;
  AppWindow controller;
};

TEST(AppPageTest, APageIsReadBackOnlyFromItsExactRawValue) {
  for (AppPage page : kAllAppPages) EXPECT_EQ(parseAppPage(rawValue(page)), page);
  EXPECT_EQ(parseAppPage("sites"), AppPage::sites);
  EXPECT_EQ(parseAppPage("Home"), std::nullopt);
  EXPECT_EQ(parseAppPage(""), std::nullopt);
  EXPECT_EQ(parseAppPage("settings "), std::nullopt);
}

TEST_F(AppWindowTest, TheFirstShowMakesTheWindowAndLaterOnesBringBackTheSameOne) {
  EXPECT_EQ(controller.window(), nullptr);
  controller.show(AppPage::settings);
  WindowContent* made = controller.window();
  ASSERT_NE(made, nullptr);
  EXPECT_TRUE(made->isVisible());
  EXPECT_EQ(made->windowTitle(), "Quillbrook");
  EXPECT_EQ(made->size(), AppWindow::kSize);
  EXPECT_EQ(made->minimumSize(), AppWindow::kMinimumSize);
  EXPECT_EQ(selectedRows(), QStringList{"Settings"});
  EXPECT_EQ(shownPage(), AppPage::settings);

  made->resize(1000, 700);
  made->close();
  EXPECT_FALSE(made->isVisible());
  controller.show(AppPage::home);
  EXPECT_EQ(controller.window(), made);
  EXPECT_TRUE(made->isVisible());
  EXPECT_EQ(made->size(), QSize(1000, 700));
  EXPECT_EQ(selectedRows(), QStringList{"Home"});
  EXPECT_EQ(shownPage(), AppPage::home);
}

TEST_F(AppWindowTest, TheNextLaunchOpensTheWindowWhereItWasOrOnAScreenWhenThatPlaceIsGone) {
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  const QRect placed(screen.topLeft() + QPoint(30, 40), AppWindow::kMinimumSize + QSize(20, 20));
  controller.show(AppPage::home);
  window().setGeometry(placed);
  window().close();

  // A launch reads the settings afresh from their file.
  const auto relaunched = [&](const std::function<void(QWidget&)>& use) {
    UserDefaults settings(defaults.file());
    AppModel next(
        {platform, settings, loginItem, main, timers, clock, wallClock, home / "Quillbrook"});
    AppWindow window(next);
    window.show(AppPage::home);
    use(*window.window());
  };
  relaunched([&](QWidget& shown) {
    EXPECT_EQ(shown.geometry(), placed);
    // Left open as the program quits: the place it has then is the one kept.
    shown.setGeometry(placed.translated(10, 5));
  });
  relaunched([&](QWidget& shown) { EXPECT_EQ(shown.geometry(), placed.translated(10, 5)); });

  // The screen it was on is gone: it comes back whole on one that is there, at its size.
  defaults.setStringList(Prefs::kWindowFrameKey, {"5000", "-3000", "740", "460"});
  relaunched([&](QWidget& shown) {
    EXPECT_TRUE(screen.contains(shown.frameGeometry())) << shown.frameGeometry().x();
    EXPECT_EQ(shown.size(), QSize(740, 460));
  });
}

TEST_F(AppWindowTest, TheChosenPageOutlivesTheClosedWindowAndReselectingItRedrawsNothing) {
  controller.show(AppPage::home);
  QTest::mouseClick(&row(AppPage::activity), Qt::LeftButton);
  window().close();
  EXPECT_EQ(controller.navigation().page(), AppPage::activity);
  EXPECT_EQ(selectedRows(), QStringList{"Activity"});

  QSignalSpy changes(&controller.navigation(), &Navigation::pageChanged);
  QWidget* shown = pageView();
  controller.show(AppPage::activity);
  QTest::mouseClick(&row(AppPage::activity), Qt::LeftButton);
  EXPECT_EQ(changes.count(), 0);
  EXPECT_EQ(pageView(), shown);
  EXPECT_TRUE(window().isVisible());
  // A click on the selected row leaves it selected.
  EXPECT_EQ(selectedRows(), QStringList{"Activity"});
}

TEST_F(AppWindowTest, ARowClickOrCtrlWithItsDigitSelectsThePageAndMakesItsViewAfresh) {
  controller.show(AppPage::home);
  QSignalSpy changes(&controller.navigation(), &Navigation::pageChanged);
  QPointer<QWidget> homeView = pageView();
  QTest::mouseClick(&row(AppPage::sites), Qt::LeftButton, {}, QPoint(SidebarRow::kPadding, 4));
  EXPECT_EQ(controller.navigation().page(), AppPage::sites);
  EXPECT_EQ(selectedRows(), QStringList{"Sites and apps"});
  EXPECT_EQ(shownPage(), AppPage::sites);
  EXPECT_FALSE(homeView && homeView->isVisible()) << "the old view is gone from the window";

  for (AppPage page : {AppPage::activity, AppPage::settings, AppPage::home, AppPage::sites}) {
    SCOPED_TRACE(rawValue(page));
    pressShortcut(shortcutDigit(page));
    EXPECT_EQ(selectedRows(), QStringList{QString::fromUtf8(title(page))});
    EXPECT_EQ(shownPage(), page);
  }
  EXPECT_EQ(changes.count(), 5);
}

TEST_F(AppWindowTest, TheSidebarListsThePagesInOrderAndMarksOnlyTheSelectedOne) {
  controller.show(AppPage::activity);
  QStringList titles;
  for (const SidebarRow* each : rows()) titles << each->text();
  EXPECT_EQ(titles, (QStringList{"Home", "Activity", "Sites and apps", "Settings"}));
  EXPECT_EQ(window().sidebar().width(), Sidebar::kWidth);

  for (const SidebarRow* each : rows()) {
    SCOPED_TRACE(each->text().toStdString());
    const bool selected = each->page() == AppPage::activity;
    EXPECT_EQ(each->height(), SidebarRow::kHeight);
    EXPECT_EQ(each->width(), Sidebar::kWidth - 2 * Sidebar::kPadding);
    EXPECT_EQ(each->foreground(), selected ? QB::text : QB::textMuted);
    // Every symbol the sidebar asks for is drawn: a missing one would leave an empty frame.
    EXPECT_TRUE(Symbols::has(each->symbolName()));
    EXPECT_EQ(each->isChecked(), selected);
  }
  EXPECT_EQ(row(AppPage::home).symbolName(), "house");
  EXPECT_EQ(row(AppPage::activity).symbolName(), "chart.bar.xaxis");
  QTest::mouseClick(&row(AppPage::settings), Qt::LeftButton);
  EXPECT_EQ(row(AppPage::settings).symbolName(), "gearshape.fill");
  EXPECT_EQ(row(AppPage::home).symbolName(), "house");
}

TEST_F(AppWindowTest, TheSelectedRowIsFilledAndAHoveredOneLightsUpUntilThePointerLeaves) {
  controller.show(AppPage::home);
  const auto fillOf = [&](AppPage page) {
    const QRect area = row(page).geometry();
    // A point inside the rounded background, clear of the symbol and the title.
    const QPoint inside = area.topRight() + QPoint(-SidebarRow::kPadding, area.height() / 2);
    return window().grab().toImage().pixelColor(inside);
  };
  const auto settle = [&](const QColor& expected) {
    return test::waitUntil([&] {
      return test::channelDistance(fillOf(AppPage::settings), expected) <= test::kFillTolerance;
    });
  };
  QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
  QCoreApplication::sendEvent(&row(AppPage::settings), &enter);
  EXPECT_TRUE(row(AppPage::settings).isHovering());
  EXPECT_TRUE(settle(QB::bgHover));
  EXPECT_TRUE(test::near(fillOf(AppPage::home), test::over(QB::fillSecondary, QB::bgBase)));
  EXPECT_TRUE(test::near(fillOf(AppPage::activity), QB::bgBase));
  save(window(), "main-window-home.png");

  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(&row(AppPage::settings), &leave);
  EXPECT_TRUE(settle(QB::bgBase));
}

TEST_F(AppWindowTest, APageCentresAColumnOfAtMost640AndScrollsWhatIsTallerThanTheWindow) {
  const int sides = Page::kPadding.left() + Page::kPadding.right();
  struct Case {
    int pageWidth;
    int columnWidth;
  };
  for (const Case& width : {Case{600, 600 - sides}, Case{703, 703 - sides},
                            Case{704, Page::kMaxColumnWidth}, Case{1000, Page::kMaxColumnWidth}}) {
    SCOPED_TRACE(width.pageWidth);
    Page page;
    auto* lede = new Lede(QStringLiteral("Where the day went."));
    page.addSection(lede);
    page.resize(width.pageWidth, 400);
    page.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(lede->width(), width.columnWidth);
    const QPoint corner = lede->mapTo(&page, QPoint());
    EXPECT_EQ(corner.y(), Page::kPadding.top());
    EXPECT_EQ(corner.x(), (width.pageWidth - width.columnWidth) / 2) << "centred";
  }

  Page page;
  std::vector<QWidget*> sections;
  for (int i = 0; i < 12; ++i) {
    sections.push_back(new Lede(QStringLiteral("A paragraph that runs over more than one line at "
                                               "this width, and is never cut short: %1.")
                                    .arg(i)));
    page.addSection(sections.back());
  }
  auto* footer = new Footer(QStringLiteral("Nothing here leaves this computer."));
  page.addSection(footer);
  page.resize(400, 300);
  page.show();
  QCoreApplication::processEvents();
  // The scroll bar appears once the column has been laid out at its height for the width.
  ASSERT_TRUE(test::waitUntil([&] { return page.verticalScrollBar()->maximum() > 0; }));
  EXPECT_GT(page.verticalScrollBar()->maximum(), 0);
  EXPECT_EQ(sections[1]->y() - sections[0]->geometry().bottom() - 1, Page::kSectionSpacing);
  const QFontMetrics lines(QB::Font::body());
  EXPECT_GE(sections[0]->height(), 2 * lines.height()) << "wrapped, not cut";
  EXPECT_EQ(sections[0]->height(), sections[0]->heightForWidth(sections[0]->width()));
  EXPECT_EQ(footer->contentsMargins().left(), Footer::kIndent);
  EXPECT_EQ(footer->font(), QB::Font::caption());
  EXPECT_EQ(footer->palette().color(QPalette::WindowText), QB::textFaint);
  EXPECT_EQ(sections[0]->palette().color(QPalette::WindowText), QB::textMuted);

  page.verticalScrollBar()->setValue(page.verticalScrollBar()->maximum());
  QCoreApplication::processEvents();
  const QPoint foot = footer->mapTo(&page, QPoint(0, footer->height()));
  EXPECT_EQ(page.viewport()->height() - foot.y(), Page::kPadding.bottom()) << "scrolled to the end";
}

TEST_F(AppWindowTest, ScreenshotsOfTheWindowOnAnotherPageAndOfAPageInItsChrome) {
  controller.show(AppPage::sites);
  save(window(), "main-window-sites.png");

  // A page as wide as the window's page area, with the chrome's paragraphs in it.
  Page page;
  page.addSection(new Lede(QStringLiteral(
      "Quillbrook learns what you work on and lays a small prompt over a distraction when you "
      "drift. This paragraph wraps over as many lines as it needs.")));
  page.addSection(new Footer(QStringLiteral("Nothing here leaves this computer.")));
  page.resize(pageView()->size());
  page.show();
  save(page, "page-chrome.png");
}

}  // namespace
}  // namespace qb
