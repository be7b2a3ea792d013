// SingleInstance: one running copy of the program in a user's session. Two copies would watch the
// same desktop, prompt twice and write the same recording, so the first copy owns a name on the
// session bus, and a copy started later asks it to show its main window and then ends.
//
// A copy gives the name up as its quit starts (release()), before it waits for its recording to
// close: a copy started from then on runs at once beside the quitting one's last writes, which the
// recording and the event log take as they take any other program holding their files. A later
// copy whose call goes unanswered may have met a copy in the moment between the start of its quit
// and the release: it waits for the name to be given up, at most kReleaseWaitMs, and takes it.

#pragma once

#include <QDBusConnection>
#include <QObject>

namespace qb {

class SingleInstance : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "quillbrook.Instance")

public:
  // The name the running copy owns.
  static constexpr const char* kBusName = "quillbrook.Instance";
  // How long a later copy waits for the running one to answer.
  static constexpr int kReopenTimeoutMs = 2000;
  // How long a later copy whose call went unanswered waits for the name to be given up before it
  // leaves the running copy be: longer than a quit of a version that kept the name until its
  // recording had closed, which waits for the recording's check (seconds on a cold disk).
  static constexpr int kReleaseWaitMs = 30000;

  enum class Claim {
    first,    // this copy owns the name; reopenRequested() tells of later copies
    running,  // another copy owns it and was asked to show itself: this one ends
    alone,    // no session bus: nothing can tell copies apart, so this one runs unguarded
  };

  explicit SingleInstance(QDBusConnection bus = QDBusConnection::sessionBus(),
                          QObject* parent = nullptr);
  // Releases the name, if this copy still owns it.
  ~SingleInstance() override;

  // Blocks the calling thread while it asks a running copy, and while it waits for one that did
  // not answer to give the name up; the thread's events are handled meanwhile only during that
  // wait.
  Claim claim();
  // Gives up the name: no later copy is sent to this one from now on. Does nothing when this copy
  // does not own it.
  void release();

signals:
  void reopenRequested();

public slots:
  // Called over the bus by a copy started later.
  Q_SCRIPTABLE void Reopen();

private:
  QDBusConnection bus_;
  bool owner_ = false;
};

}  // namespace qb
