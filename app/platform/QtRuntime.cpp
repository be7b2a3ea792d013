#include "platform/QtRuntime.h"

#include <QMetaObject>
#include <QTimer>
#include <chrono>
#include <cmath>

#include "base/Log.h"

namespace qb {

namespace {

// Qt counts timer intervals in whole milliseconds; round up so that a timer never fires before
// the time its caller asked for.
int milliseconds(Duration seconds) {
  if (!(seconds > 0)) return 0;
  constexpr double kLongest = 24.0 * 24 * 3600;  // QTimer's int milliseconds hold 24 days
  return static_cast<int>(std::ceil(std::min(seconds, kLongest) * 1000));
}

}  // namespace

// Runs the executor's next task at each call queued to it. The call is queued by name, so that
// Qt makes it inside its own library: a functor made here on the posting thread would reach the
// loop's thread through Qt's lock alone, which ThreadSanitizer does not see, and a read of it
// there would count as a race whenever the loop was awake as the task came.
class QtExecutorRunner : public QObject {
  Q_OBJECT

public:
  explicit QtExecutorRunner(std::function<void()> runNext) : runNext_(std::move(runNext)) {}
  Q_INVOKABLE void runNext() { runNext_(); }

private:
  const std::function<void()> runNext_;
};

QtExecutor::QtExecutor() : context_(std::make_unique<QtExecutorRunner>([this] { runNext(); })) {}
QtExecutor::~QtExecutor() = default;

void QtExecutor::post(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  if (!QMetaObject::invokeMethod(context_.get(), "runNext", Qt::QueuedConnection)) {
    log::error("A task for the main thread could not be queued: it runs only once another is");
  }
}

// One call is queued for each task, in the order the tasks were posted.
void QtExecutor::runNext() {
  std::function<void()> task;
  {
    std::lock_guard lock(mutex_);
    if (tasks_.empty()) return;
    task = std::move(tasks_.front());
    tasks_.pop_front();
  }
  task();
}

QtTimers::QtTimers() : context_(std::make_unique<QObject>()) {}
QtTimers::~QtTimers() = default;

Timers::Id QtTimers::schedule(Duration after, std::function<void()> fire) {
  const Id id = ++lastId_;
  auto* timer = new QTimer(context_.get());
  timer->setSingleShot(true);
  timer->setTimerType(Qt::PreciseTimer);
  QObject::connect(timer, &QTimer::timeout, context_.get(), [this, id, fire = std::move(fire)] {
    auto found = timers_.find(id);
    if (found == timers_.end()) return;
    found->second->deleteLater();
    timers_.erase(found);
    fire();
  });
  timers_.emplace(id, timer);
  timer->start(milliseconds(after));
  return id;
}

void QtTimers::cancel(Id id) {
  auto found = timers_.find(id);
  if (found == timers_.end()) return;
  found->second->stop();
  found->second->deleteLater();
  timers_.erase(found);
}

}  // namespace qb

#include "QtRuntime.moc"
