// The settings page's question before a deletion, as the window manager frames it over the dark
// window: its title written whole in the title bar, and the dialog drawn in the program's own
// colours. A screenshot of it is written for people to look at.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <optional>

#include "app/design/Pixels.h"
#include "design/QB.h"
#include "desktop/x11/X11TestSupport.h"
#include "shell/SettingsPage.h"

namespace qb {
namespace {

const QString kQuestion = QStringLiteral("Delete all data?");
// How long a title bar stays the same before it counts as drawn: the window manager draws it in
// steps as the window becomes active or is renamed.
constexpr int kBarStillMs = 50;
// The columns of the frame at each end of a title bar. Just inside them the bar changes with its
// look (active or not), never with its title.
constexpr int kBarEnd = 1;

// The screen now, as a person sees it.
QImage screen() {
  return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(
      QImage::Format_ARGB32);
}

// The window and the frame the window manager put around it, as the X server has them. Qt's own
// frame geometry is no use here: a window framed while the machine is loaded can keep one without
// the frame.
QRect framed(X11Desktop& desktop, const QWidget& window) {
  const std::optional<Rect> frame = desktop.frame(window.winId());
  if (!frame) return {};
  return QRect(static_cast<int>(frame->origin.x), static_cast<int>(frame->origin.y),
               static_cast<int>(frame->size.width), static_cast<int>(frame->size.height));
}

// The band the window manager draws above a window: its title bar; none before it is framed.
QImage titleBar(const QImage& shot, X11Desktop& desktop, const QWidget& window) {
  const QRect frame = framed(desktop, window);
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
QImage changedBar(X11Desktop& desktop, const QWidget& window, const QImage& before = {}) {
  QImage bar;
  const bool settled = test::waitUntil([&] {
    const QImage now = titleBar(screen(), desktop, window);
    const bool still = now == bar && now != before;
    bar = now;
    if (!still) QTest::qWait(kBarStillMs);
    return still;
  });
  if (!settled) ADD_FAILURE() << "the title bar never settled";
  return bar;
}

// Whether every column of `cut` looks like its first: a bar's background with nothing written on
// it.
bool plain(const QImage& cut) {
  for (int x = 1; x < cut.width(); ++x) {
    if (!sameColumn(cut, x, cut, 0)) return false;
  }
  return true;
}

// The title that one of two bars of a window shows and the other does not, as the window manager
// writes it: the columns where they differ, cut from the bar with something written there. None
// when they differ at the bar's ends as well, where its icon and buttons are (one was caught before
// the window manager drew the bar active), or when both or neither show something there (one was
// caught half drawn).
QImage titleBetween(const QImage& a, const QImage& b) {
  int first = -1;
  int last = -1;
  for (int x = 0; x < a.width(); ++x) {
    if (sameColumn(a, x, b, x)) continue;
    if (first < 0) first = x;
    last = x;
  }
  if (first <= kBarEnd || last >= a.width() - 1 - kBarEnd) return {};
  const QImage inA = a.copy(first, 0, last - first + 1, a.height());
  const QImage inB = b.copy(first, 0, last - first + 1, b.height());
  if (plain(inA) == plain(inB)) return {};
  return plain(inA) ? inB : inA;
}

// The title of `dialog`, active, as the window manager writes it in its bar: the title is taken
// away and given back until two bars in a row, one with it and one without, tell it. A window
// manager kept from drawing leaves a bar still for a while before it is active or whole, and draws
// a rename after the test has moved on.
QImage writtenTitle(X11Desktop& desktop, QDialog& dialog) {
  const QString title = dialog.windowTitle();
  QImage before = changedBar(desktop, dialog);
  const QDeadlineTimer deadline(test::kDesktopLimit);
  for (bool named = false; !deadline.hasExpired(); named = !named) {
    dialog.setWindowTitle(named ? title : QStringLiteral(" "));
    const QImage now = changedBar(desktop, dialog, before);
    if (const QImage written = titleBetween(before, now); !written.isNull()) return written;
    before = now;
  }
  return {};
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
  const std::unique_ptr<X11Desktop> desktop = X11Desktop::open();
  ASSERT_TRUE(desktop) << "no X display";
  // The settings page stands in for the main window: dark, and the dialog's parent.
  QWidget window;
  window.setWindowTitle(QStringLiteral("Quillbrook"));
  window.setAutoFillBackground(true);
  QPalette palette = window.palette();
  palette.setColor(QPalette::Window, QB::bgBase);
  window.setPalette(palette);
  window.setGeometry(200, 150, 860, 560);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, test::kDesktopLimitMs))
      << "the page behind the dialog was never exposed";

  // How the window manager writes the question in an active dialog's bar with room to spare.
  QImage title;
  {
    QDialog roomy(&window);
    roomy.setWindowTitle(kQuestion);
    roomy.setFixedSize(800, 120);
    roomy.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&roomy, test::kDesktopLimitMs))
        << "the roomy dialog never became active; the active window is "
        << test::quietly("xdotool", {"getactivewindow", "getwindowname"});
    title = writtenTitle(*desktop, roomy);
    ASSERT_FALSE(title.isNull());
  }

  QImage shot;
  bool titleWhole = false;
  QTimer::singleShot(0, [&] {
    const QPointer<QWidget> shown = QApplication::activeModalWidget();
    if (!shown || !QTest::qWaitForWindowActive(shown, test::kDesktopLimitMs)) {
      ADD_FAILURE() << "no active dialog came";
      if (shown) shown->close();
      return;
    }
    titleWhole = test::waitUntil([&] {
      shot = screen();
      return shows(titleBar(shot, *desktop, *shown), title);
    });
    QDir().mkpath(QStringLiteral(QB_SCREENSHOTS));
    EXPECT_TRUE(shot.copy(framed(*desktop, window))
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
