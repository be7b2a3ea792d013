// Cost of reading the front window and the input state from the X server, as the program does on
// every switch and every tick. Needs a display with an active window (Xvfb and a window manager
// will do); without one each benchmark reports why and is skipped.

#include <benchmark/benchmark.h>

#ifdef QB_BENCH_PLATFORM

#include <QCoreApplication>
#include <memory>

#include "base/NoDestructor.h"
#include "platform/linux/X11Desktop.h"
#include "platform/linux/X11InputMonitor.h"

namespace qb {
namespace {

// The desktop's socket notifier wants an application object; one for the whole run.
struct Desktop {
  Desktop() {
    if (QCoreApplication::instance() == nullptr) {
      application = std::make_unique<QCoreApplication>(argc, argv);
    }
    desktop = X11Desktop::open();
    if (desktop) input = std::make_unique<X11InputMonitor>(desktop->connection());
  }

  int argc = 1;
  char name[16] = "quillbrook";
  char* argv[2] = {name, nullptr};
  std::unique_ptr<QCoreApplication> application;
  std::unique_ptr<X11Desktop> desktop;
  std::unique_ptr<X11InputMonitor> input;
};

Desktop& shared() {
  static NoDestructor<Desktop> desktop;
  return *desktop;
}

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

}  // namespace
}  // namespace qb

#endif  // QB_BENCH_PLATFORM
