// Cost of reading the front window and the input state from the X server, as the program does on
// every switch and every tick. Needs a display with an active window (Xvfb and a window manager
// will do); without one each benchmark reports why and is skipped.

#include <benchmark/benchmark.h>

#ifdef QB_BENCH_PLATFORM

#include <sys/resource.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <memory>

#include "SharedDesktop.h"
#include "base/WallClock.h"
#include "platform/QtRuntime.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/X11Desktop.h"
#include "platform/linux/X11InputMonitor.h"
#include "sensing/Observer.h"

namespace qb {
namespace {

using bench::shared;

void BM_FrontWindowRead(benchmark::State& state) {
  X11Desktop* desktop = shared().desktop.get();
  if (desktop == nullptr) return state.SkipWithError("no X display");
  if (desktop->activeWindow() == 0) return state.SkipWithError("no active window");
  for (auto _ : state) {
    const WindowId window = desktop->activeWindow();
    benchmark::DoNotOptimize(desktop->title(window));
    benchmark::DoNotOptimize(desktop->pid(window));
    benchmark::DoNotOptimize(desktop->windowClass(window));
    benchmark::DoNotOptimize(desktop->frame(window));
    benchmark::DoNotOptimize(desktop->application(window));
  }
}
BENCHMARK(BM_FrontWindowRead)->Unit(benchmark::kMicrosecond);

void BM_SecondsSinceLastInput(benchmark::State& state) {
  X11InputMonitor* input = shared().input.get();
  if (input == nullptr) return state.SkipWithError("no X display");
  for (auto _ : state) benchmark::DoNotOptimize(input->secondsSinceLastInput());
}
BENCHMARK(BM_SecondsSinceLastInput)->Unit(benchmark::kMicrosecond);

void BM_InputCounts(benchmark::State& state) {
  X11InputMonitor* input = shared().input.get();
  if (input == nullptr) return state.SkipWithError("no X display");
  for (auto _ : state) benchmark::DoNotOptimize(input->counts());
}
BENCHMARK(BM_InputCounts);

// One whole observation as the observer takes it on a switch or a tick: permission and password
// checks on the accessibility bus, the front application, its focused window, title and document.
void BM_ObserverRead(benchmark::State& state) {
  LinuxPlatform* platform = shared().platform.get();
  if (platform == nullptr) return state.SkipWithError("no X display");
  QtTimers timers;
  Observer observer(platform->workspace(), platform->accessibility(), timers,
                    MonotonicClock::steady(), WallClock::system());
  if (!observer.read()) return state.SkipWithError("nothing readable in front");
  for (auto _ : state) benchmark::DoNotOptimize(observer.read());
}
BENCHMARK(BM_ObserverRead)->Unit(benchmark::kMicrosecond);

// Runs the event loop as the program does, sleeping until something happens, for a while.
void runEventLoop(int milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
}

// What a started observer costs while nothing happens on the desktop: processor time per second
// of its event loop. Event-driven, it should be nothing measurable.
void BM_ObserverIdle(benchmark::State& state) {
  LinuxPlatform* platform = shared().platform.get();
  if (platform == nullptr) return state.SkipWithError("no X display");
  QtTimers timers;
  Observer observer(platform->workspace(), platform->accessibility(), timers,
                    MonotonicClock::steady(), WallClock::system());
  observer.start();
  const auto processorSeconds = [] {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  };
  constexpr int kIdleMilliseconds = 1000;
  constexpr int kSettleMilliseconds = static_cast<int>(2 * Observer::kSettleDelay * 1000);
  double used = 0;
  for (auto _ : state) {
    runEventLoop(kSettleMilliseconds);  // the reads after start() are work, not idling
    const double before = processorSeconds();
    runEventLoop(kIdleMilliseconds);
    used += processorSeconds() - before;
  }
  state.counters["cpu_ms_per_s"] =
      benchmark::Counter(used * 1000 / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_ObserverIdle)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qb

#endif  // QB_BENCH_PLATFORM
