// quillbrook_test_player <status> [--through-child]: a media player for the desktop tests. It owns
// "org.mpris.MediaPlayer2.test<its pid>" on the session bus and answers PlaybackStatus
// (org.mpris.MediaPlayer2.Player on /org/mpris/MediaPlayer2) with <status>.
//
// It prints "ready <pid>" once it owns its name, and exits at the end of its standard input. With
// --through-child it plays nothing itself: it starts a player of its own with the same status,
// sharing its standard input and output, and exits when that one does; so the player is the
// grandchild of whoever started this one.

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QObject>
#include <QSocketNotifier>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

void say(const QString& line) {
  std::fputs(line.toUtf8().constData(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

class Player : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
  Q_PROPERTY(QString PlaybackStatus READ playbackStatus)

public:
  explicit Player(QString status) : status_(std::move(status)) {}
  QString playbackStatus() const { return status_; }

private:
  QString status_;
};

// Starts the player as a child and waits for it, before any thread of this process exists: a
// process that forks once it has threads cannot be followed by the thread sanitizer.
int relay(char* program, char* status) {
  char* const arguments[] = {program, status, nullptr};
  pid_t child = 0;
  if (const int error = posix_spawn(&child, program, nullptr, nullptr, arguments, environ)) {
    std::fprintf(stderr, "failed to start the child player: %s\n", std::strerror(error));
    return 1;
  }
  int ended = 0;
  while (waitpid(child, &ended, 0) < 0 && errno == EINTR) {
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[2], "--through-child") == 0) return relay(argv[0], argv[1]);
  QCoreApplication application(argc, argv);
  QStringList arguments = application.arguments().mid(1);
  if (arguments.isEmpty()) {
    say(QStringLiteral("usage: quillbrook_test_player <status> [--through-child]"));
    return 2;
  }

  Player player(arguments.front());
  QDBusConnection bus = QDBusConnection::sessionBus();
  QString name = QStringLiteral("org.mpris.MediaPlayer2.test%1").arg(getpid());
  if (!bus.registerObject(QStringLiteral("/org/mpris/MediaPlayer2"), &player,
                          QDBusConnection::ExportAllProperties) ||
      !bus.registerService(name)) {
    say(QStringLiteral("failed to own ") + name + ": " + bus.lastError().message());
    return 1;
  }

  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, [&] {
    char buffer[4096];
    if (read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
      input.setEnabled(false);
      application.quit();
    }
  });

  say(QStringLiteral("ready %1").arg(getpid()));
  return application.exec();
}

#include "TestPlayer.moc"
