// Cost of the event log on the main thread: logging one event (a statement that commits by
// itself), and the pages' refresh, which reads a week of events back and builds today's
// timeline, the week's days and its tasks from them.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "base/Calendar.h"
#include "recording/EventStore.h"
#include "recording/History.h"

namespace qb {
namespace {

// About what a busy week logs: a drain every 30-second tick of an eight-hour day, plus prompts.
constexpr int kEventsPerDay = 1000;
constexpr int kDays = 7;
constexpr double kTick = 30;
constexpr double kGap = 120;
const Date kNow = Date::fromReference(800000000);
// Each benchmark runs a fixed count: left to find its own, Google Benchmark runs the whole
// function again for each try, each try on a fresh file (the refresh's with its week logged anew).
// Events logged: thousands, so that the mean takes in the write-ahead log's checkpoints, where
// the syncs to disk fall.
constexpr int kEventsLogged = 5000;
// Refreshes of the week: tenths of a second of them.
constexpr int kRefreshes = 50;

// A fresh file of its own, removed afterwards.
class ScratchLog {
public:
  ScratchLog()
      : folder_(std::filesystem::temp_directory_path() /
                ("qb-bench-events-" + std::to_string(::getpid()))),
        store_(folder_ / "events.sqlite") {}
  ~ScratchLog() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  EventStore& store() { return store_; }

private:
  std::filesystem::path folder_;
  EventStore store_;
};

void BM_EventLog(benchmark::State& state) {
  ScratchLog log;
  Date at = kNow;
  for (auto _ : state) {
    log.store().log(EventStore::Kind::work, kTick, "Quarterly report", at);
    at += kTick;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EventLog)->Iterations(kEventsLogged)->Unit(benchmark::kMicrosecond);

void BM_EventHistoryRefresh(benchmark::State& state) {
  ScratchLog log;
  const Calendar calendar = Calendar::inZone("Europe/Berlin");
  const Date today = calendar.startOfDay(kNow);
  const Date weekStart = *calendar.addingDays(-(kDays - 1), today);
  const double step = (kNow.since(weekStart)) / (kDays * kEventsPerDay);
  for (int i = 0; i < kDays * kEventsPerDay; ++i) {
    const bool prompt = i % 50 == 0;
    log.store().log(prompt ? EventStore::Kind::prompt : EventStore::Kind::work, prompt ? 1 : kTick,
                    "Task " + std::to_string(i % 12), weekStart + i * step);
  }
  for (auto _ : state) {
    const auto week = log.store().events(weekStart);
    benchmark::DoNotOptimize(History::spans(week, today, kNow, kGap));
    benchmark::DoNotOptimize(History::prompts(week, today, kNow));
    benchmark::DoNotOptimize(History::days(week, kDays, kNow, calendar));
    benchmark::DoNotOptimize(History::tasks(week));
  }
  state.SetItemsProcessed(state.iterations() * kDays * kEventsPerDay);
}
BENCHMARK(BM_EventHistoryRefresh)->Iterations(kRefreshes)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qb
