// Cost of the event log on the main thread: logging one event (a statement that commits by
// itself), and the pages' refresh, which reads a week of events back and builds today's
// timeline, the week's days and its tasks from them; and opening a year's log at the start.

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>

#include "BenchSupport.h"
#include "ChecksInTurn.h"
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

// Opening a year of events: the store's constructor on a log of kYearDays busy days, which checks
// the whole file (database::fullCheck) before it writes to it. The file is written once per run,
// its rows in one transaction into the schema the store made, and is in the page cache when timed.
constexpr int kYearDays = 365;
// Opens timed per repetition.
constexpr int kYearOpens = 5;

void check(int result, sqlite3* db) {
  if (result != SQLITE_OK && result != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db));
}

struct YearLog {
  // A folder of its own: ScratchLog's is the same for every store of the process.
  ScratchFile folder;
  std::filesystem::path path = folder.folder() / "events.sqlite";
  YearLog() {
    { EventStore schema(path); }
    sqlite3* db = nullptr;
    check(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), db);
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> closing(db, sqlite3_close);
    check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
    sqlite3_stmt* raw = nullptr;
    check(sqlite3_prepare_v2(db, "INSERT INTO events (ts, kind, value, label) VALUES (?, ?, ?, ?)",
                             -1, &raw, nullptr),
          db);
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> insert(raw, sqlite3_finalize);
    const Date start = kNow - kYearDays * 86400.0;
    for (int i = 0; i < kYearDays * kEventsPerDay; ++i) {
      const bool prompt = i % 50 == 0;
      const std::string label = "Task " + std::to_string(i % 12);
      sqlite3_bind_double(raw, 1, (start + i * (86400.0 / kEventsPerDay)).unixTime());
      sqlite3_bind_text(raw, 2, prompt ? "prompt" : "work", -1, SQLITE_STATIC);
      sqlite3_bind_double(raw, 3, prompt ? 1 : kTick);
      sqlite3_bind_text(raw, 4, label.c_str(), -1, SQLITE_TRANSIENT);
      check(sqlite3_step(raw), db);
      sqlite3_reset(raw);
    }
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
  }
};

void BM_EventStoreOpenAYear(benchmark::State& state) {
  static const YearLog year;
  for (auto _ : state) {
    std::optional<EventStore> store;
    store.emplace(year.path);
    state.PauseTiming();
    store.reset();
    state.ResumeTiming();
  }
  state.counters["MB"] = static_cast<double>(std::filesystem::file_size(year.path)) / 1e6;
}
BENCHMARK(BM_EventStoreOpenAYear)->Iterations(kYearOpens)->Unit(benchmark::kMillisecond);

// What comparing the index with its table adds to the log's check of a year.
void BM_EventLogCheckAYear(benchmark::State& state) {
  static const YearLog year;
  timeChecksInTurn(state, year.path);
}
BENCHMARK(BM_EventLogCheckAYear)->Iterations(kYearOpens)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qb
