// quillbrook_test_window [title words...]: one top-level window for the desktop tests, with a line
// edit ("Text"), a password field ("Password") and a button ("Press"), titled with its arguments.
//
// It prints "ready" once its window is exposed, then reads commands on standard input, one a line,
// and answers each with "done <command>" once it has been carried out:
//   title <text>     retitles the window
//   focus password   activates the window and puts the focus in the password field
//   focus text       the same for the line edit
//   quit             exits (as does the end of standard input)
// Its tree is published on the accessibility bus when the bus is enabled and
// QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 (scripts/desktop-session sets both).

#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSocketNotifier>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>
#include <cstdio>

namespace {

void say(const QString& line) {
  std::fputs(line.toUtf8().constData(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

// Says "ready" the first time the window is shown on the screen.
class ExposeWatch : public QObject {
public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!said_ && event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
      said_ = true;
      say(QStringLiteral("ready"));
    }
    return false;
  }

private:
  bool said_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QStringList words = application.arguments().mid(1);
  QWidget window;
  window.setWindowTitle(words.isEmpty() ? QStringLiteral("Test window") : words.join(' '));

  auto* text = new QLineEdit(&window);
  text->setAccessibleName(QStringLiteral("Text"));
  auto* password = new QLineEdit(&window);
  password->setAccessibleName(QStringLiteral("Password"));
  password->setEchoMode(QLineEdit::Password);
  auto* button = new QPushButton(QStringLiteral("Press"), &window);
  auto* layout = new QVBoxLayout(&window);
  layout->addWidget(text);
  layout->addWidget(password);
  layout->addWidget(button);
  window.resize(400, 200);

  window.winId();  // makes the native window, so its exposure can be watched from the first one
  ExposeWatch watch;
  window.windowHandle()->installEventFilter(&watch);

  auto focus = [&](QLineEdit* field) {
    window.activateWindow();
    window.raise();
    field->setFocus(Qt::OtherFocusReason);
  };

  QByteArray pending;
  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, [&] {
    char buffer[4096];
    ssize_t count = read(STDIN_FILENO, buffer, sizeof buffer);
    if (count <= 0) {
      input.setEnabled(false);
      application.quit();
      return;
    }
    pending.append(buffer, count);
    for (qsizetype end; (end = pending.indexOf('\n')) >= 0;) {
      QString line = QString::fromUtf8(pending.left(end));
      pending.remove(0, end + 1);
      if (line.startsWith(QStringLiteral("title ")))
        window.setWindowTitle(line.mid(6));
      else if (line == QStringLiteral("focus password"))
        focus(password);
      else if (line == QStringLiteral("focus text"))
        focus(text);
      else if (line == QStringLiteral("quit"))
        application.quit();
      else {
        say(QStringLiteral("unknown ") + line);
        continue;
      }
      say(QStringLiteral("done ") + line);
    }
  });

  window.show();
  return application.exec();
}
