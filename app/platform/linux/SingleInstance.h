// SingleInstance: one running copy of the program in a user's session. Two copies would watch the
// same desktop, prompt twice and write the same recording, so the first copy owns a name on the
// session bus, and a copy started later asks it to show its main window and then ends.

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

  enum class Claim {
    first,    // this copy owns the name; reopenRequested() tells of later copies
    running,  // another copy owns it and was asked to show itself: this one ends
    alone,    // no session bus: nothing can tell copies apart, so this one runs unguarded
  };

  explicit SingleInstance(QDBusConnection bus = QDBusConnection::sessionBus(),
                          QObject* parent = nullptr);
  ~SingleInstance() override;

  Claim claim();

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
