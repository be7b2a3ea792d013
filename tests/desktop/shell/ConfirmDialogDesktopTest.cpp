// The settings page's question before a deletion, as the window manager frames it over the dark
// window: its title written whole in the title bar, and the dialog drawn in the program's own
// colours. A screenshot of it is written for people to look at.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "app/design/Pixels.h"
#include "design/QB.h"
#include "desktop/x11/X11TestSupport.h"
#include "shell/SettingsPage.h"

namespace qb {
namespace {

const QString kQuestion = QStringLiteral("Delete all data?");

// The screen now, as a person sees it.
QImage screen() {
  return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(
      QImage::Format_ARGB32);
}

// The band the window manager draws above a window: its title bar.
QImage titleBar(const QImage& shot, const QWidget& window) {
  const QRect frame = window.frameGeometry();
  return shot.copy(frame.left(), frame.top(), frame.width(), window.geometry().top() - frame.top());
}

bool sameColumn(const QImage& a, int x, const QImage& b, int bx) {
  for (int y = 0; y < a.height(); ++y) {
    if (!test::near(a.pixelColor(x, y), b.pixelColor(bx, y))) return false;
  }
  return true;
}

// The window's title bar once it is no longer `before` and has stood still: the window manager
// repaints it as the window becomes active or is renamed.
QImage changedBar(const QWidget& window, const QImage& before = {}) {
  QImage bar;
  test::waitUntil([&] {
    const QImage now = titleBar(screen(), window);
    const bool settled = now == bar && now != before;
    bar = now;
    if (!settled) QTest::qWait(50);
    return settled;
  });
  return bar;
}

// The columns of `named` that differ from `blank`, the same bar without a title: the title as
// the window manager writes it.
QImage titleIn(const QImage& named, const QImage& blank) {
  int first = -1;
  int last = -1;
  for (int x = 0; x < named.width(); ++x) {
    if (sameColumn(named, x, blank, x)) continue;
    if (first < 0) first = x;
    last = x;
  }
  return first < 0 ? QImage() : named.copy(first, 0, last - first + 1, named.height());
}

// Whether `bar` shows `title` somewhere along it, pixel for pixel.
bool shows(const QImage& bar, const QImage& title) {
  if (title.isNull() || bar.height() != title.height()) return false;
  for (int at = 0; at + title.width() <= bar.width(); ++at) {
    int x = 0;
    while (x < title.width() && sameColumn(title, x, bar, at + x)) ++x;
    if (x == title.width()) return true;
  }
  return false;
}

TEST(ConfirmDialogDesktopTest, TheTitleIsWrittenWholeAndTheDialogIsDark) {
  // The settings page stands in for the main window: dark, and the dialog's parent.
  QWidget window;
  window.setWindowTitle(QStringLiteral("Quillbrook"));
  window.setAutoFillBackground(true);
  QPalette palette = window.palette();
  palette.setColor(QPalette::Window, QB::bgBase);
  window.setPalette(palette);
  window.setGeometry(200, 150, 860, 560);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  // How the window manager writes the question in an active dialog's bar with room to spare.
  QImage title;
  {
    QDialog roomy(&window);
    roomy.setWindowTitle(kQuestion);
    roomy.setFixedSize(800, 120);
    roomy.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&roomy));
    const QImage named = changedBar(roomy);
    roomy.setWindowTitle(QStringLiteral(" "));
    title = titleIn(named, changedBar(roomy, named));
    ASSERT_FALSE(title.isNull());
  }

  QImage shot;
  bool titleWhole = false;
  QTimer::singleShot(0, [&] {
    const QPointer<QWidget> shown = QApplication::activeModalWidget();
    if (!shown || !QTest::qWaitForWindowActive(shown)) {
      ADD_FAILURE() << "no active dialog came";
      if (shown) shown->close();
      return;
    }
    titleWhole = test::waitUntil([&] {
      shot = screen();
      return shows(titleBar(shot, *shown), title);
    });
    QDir().mkpath(QStringLiteral(QB_SCREENSHOTS));
    EXPECT_TRUE(shot.copy(window.frameGeometry())
                    .save(QStringLiteral(QB_SCREENSHOTS) + "/confirm-delete-all.png"));

    // The program's colours: its page behind the question, its danger red on "Delete".
    EXPECT_TRUE(
        test::near(shot.pixelColor(shown->geometry().topLeft() + QPoint(2, 2)), QB::bgBase));
    const QList<QAbstractButton*> buttons = shown->findChildren<QAbstractButton*>();
    const auto remove = std::find_if(buttons.begin(), buttons.end(), [](QAbstractButton* each) {
      return each->text().remove('&') == QStringLiteral("Delete");
    });
    EXPECT_NE(remove, buttons.end()) << "no Delete button";
    if (remove != buttons.end()) {
      const QRect label((*remove)->mapToGlobal(QPoint()), (*remove)->size());
      EXPECT_TRUE(test::near(test::ink(shot, label, QB::bgBase), QB::danger, test::kInkTolerance));
    }

    // As a person answers no.
    test::run("xdotool", {"key", "Escape"});
    if (!test::waitUntil([&] { return shown.isNull() || !shown->isVisible(); })) {
      ADD_FAILURE() << "Esc left the dialog open";
      shown->close();
    }
  });
  const bool confirmed = SettingsPage::desktopDialogs().confirm(&window, kQuestion);
  EXPECT_TRUE(titleWhole) << "the window manager cut the title short";
  EXPECT_FALSE(confirmed) << "Esc answers no";
}

}  // namespace
}  // namespace qb
