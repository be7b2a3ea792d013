// Cost of recording. A recording operation must cost its caller no disk access: begin() only
// copies its record into the recorder's stream. The recorder's own thread then writes 100
// statements per transaction; the second benchmark is that write, flushed to a real file.
//
// Recorder/rowsThroughTheQueue and Recorder/plainInserts, side by side: moments recorded through
// the queue (each begin() inserts its moment and ends the one before, then its model run and the
// policy's decision: four statements), and the moments' two statements as a plain loop of
// prepared statements in one transaction on the same schema, the most SQLite gives. rows/s
// counts statements.
//
// Every benchmark here runs a fixed count: left to find its own, Google Benchmark runs the whole
// function again for each try, and each try ends in a flush whose disk time grows with the count
// tried (some 700,000 moments for beginCostToTheCaller), so the time followed the disk's load.

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "BenchSupport.h"
#include "ChecksInTurn.h"
#include "base/WallClock.h"
#include "policy/Policy.h"
#include "recording/DecisionRecord.h"
#include "recording/Recorder.h"

namespace qb {
namespace {

MomentRecord pageRecord(uint64_t id) {
  MomentRecord record(Moment(id, Date{800000000.0 + static_cast<double>(id)}, "Firefox", "firefox",
                             "A page about something - Mozilla Firefox",
                             Url::parse("https://www.example.com/articles/12345?q=term")));
  record.cause = "switch";
  record.readTime = 0.012;
  record.frame = MomentRecord::Rect{0, 32, 1440, 868};
  return record;
}

// A recorder on a scratch file with a session current, its batch timer never armed.
struct Recording {
  ScratchFile file;
  NoMain main;
  NoTimers timers;
  Recorder recorder{file.path(), main, timers, WallClock::system()};
  Recording() { recorder.start(SessionRecord{Date{800000000}, "bench", "os", "mac", {}, {}}); }
};

// Calls timed: each is a copy into the stream, so these few milliseconds of them give a steady
// mean, and the flush after them has only these moments to write.
constexpr int kBeginCalls = 20'000;

void BM_BeginCostToTheCaller(benchmark::State& state) {
  Recording recording;
  Recorder& recorder = recording.recorder;
  const MomentRecord record = pageRecord(1);
  uint64_t id = 0;
  for (auto _ : state) {
    MomentRecord next = record;
    next.id = ++id;
    recorder.begin(std::move(next), InputCounts{static_cast<uint32_t>(id), 0, 0, 0});
  }
  recorder.flush().get();
}
BENCHMARK(BM_BeginCostToTheCaller)->Name("Recorder/beginCostToTheCaller")->Iterations(kBeginCalls);

// Batches written, each a transaction of its own: some tenths of a second of them.
constexpr int kBatchesWritten = 200;

void BM_WriteOneBatchToDisk(benchmark::State& state) {
  Recording recording;
  Recorder& recorder = recording.recorder;
  uint64_t id = 0;
  for (auto _ : state) {
    for (size_t i = 0; i < Recorder::kBatchStatements / 2; ++i) {
      recorder.begin(pageRecord(++id), InputCounts{static_cast<uint32_t>(id), 0, 0, 0});
    }
    recorder.flush().get();
  }
}
BENCHMARK(BM_WriteOneBatchToDisk)
    ->Name("Recorder/writeOneBatchToDisk")
    ->Iterations(kBatchesWritten)
    ->Unit(benchmark::kMillisecond);

constexpr int kMomentsPerRound = 10'000;
// Rounds of kMomentsPerRound moments, the same for both sides of the comparison, so that each
// rate is a mean over as many moments.
constexpr int kRounds = 3;

// A moment as the program records one: the moment (its row, and the end of the one before), the
// model run of its analysis and the policy's decision.
constexpr int kRowsPerMoment = 4;

void BM_RowsThroughTheQueue(benchmark::State& state) {
  Recording recording;
  Recorder& recorder = recording.recorder;
  const MomentRecord record = pageRecord(1);
  const Policy policy;
  const std::vector<AnalysisPass> passes{{"head",
                                          "A page about something. example.com articles",
                                          "not in the table",
                                          {{"general", 0.31f}, {"work", 0.29f}},
                                          0.004}};
  uint64_t id = 0;
  for (auto _ : state) {
    for (int i = 0; i < kMomentsPerRound; ++i) {
      MomentRecord next = record;
      next.id = ++id;
      next.start = Date{800000000.0 + static_cast<double>(id)};
      recorder.begin(std::move(next), InputCounts{static_cast<uint32_t>(id), 0, 0, 0});
      recorder.runs(passes, id, std::nullopt, "bench@0000000/head", false, next.start);
      Analysis analysis;
      analysis.observationID = id;
      analysis.activity = ActivityKind::entertainment;
      analysis.activityScore = 0.71f;
      recorder.decision(DecisionRecord(policy, analysis, std::nullopt, "none", std::string("bench"),
                                       true, next.start));
    }
    recorder.flush().get();
  }
  state.counters["rows/s"] = benchmark::Counter(
      double(kRowsPerMoment) * kMomentsPerRound * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RowsThroughTheQueue)
    ->Name("Recorder/rowsThroughTheQueue")
    ->Iterations(kRounds)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void check(int result, sqlite3* db) {
  if (result != SQLITE_OK && result != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db));
}

void BM_PlainInserts(benchmark::State& state) {
  ScratchFile file;
  {
    // The recorder makes the schema.
    NoMain main;
    NoTimers timers;
    Recorder recorder(file.path(), main, timers, WallClock::system());
  }
  sqlite3* db = nullptr;
  check(sqlite3_open(file.path().c_str(), &db), db);
  check(sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr), db);
  check(sqlite3_exec(db, "INSERT INTO sessions (id, started) VALUES (1, 0)", nullptr, nullptr,
                     nullptr),
        db);
  sqlite3_stmt* insert = nullptr;
  sqlite3_stmt* end = nullptr;
  check(sqlite3_prepare_v2(db,
                           "INSERT INTO moments (session, id, started, app, bundle_id, title, "
                           "url, host, cause, read_ms, frame) VALUES (1, ?, ?, 'Firefox', "
                           "'firefox', 'A page about something - Mozilla Firefox', "
                           "'https://www.example.com/articles/12345?q=term', 'example.com', "
                           "'switch', 12, '[0,32,1440,868]')",
                           -1, &insert, nullptr),
        db);
  check(sqlite3_prepare_v2(db,
                           "UPDATE moments SET ended = ?, keys = 0, clicks = 0, scrolls = 0, "
                           "moves = 0, ticks = '[]', media = NULL WHERE session = 1 AND ended IS "
                           "NULL",
                           -1, &end, nullptr),
        db);
  int64_t id = 0;
  for (auto _ : state) {
    check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
    for (int i = 0; i < kMomentsPerRound; ++i) {
      ++id;
      sqlite3_bind_double(end, 1, 800000000.0 + static_cast<double>(id));
      check(sqlite3_step(end), db);
      sqlite3_reset(end);
      sqlite3_bind_int64(insert, 1, id);
      sqlite3_bind_double(insert, 2, 800000000.0 + static_cast<double>(id));
      check(sqlite3_step(insert), db);
      sqlite3_reset(insert);
    }
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
  }
  sqlite3_finalize(insert);
  sqlite3_finalize(end);
  sqlite3_close(db);
  state.counters["rows/s"] =
      benchmark::Counter(2.0 * kMomentsPerRound * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PlainInserts)
    ->Name("Recorder/plainInserts")
    ->Iterations(kRounds)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// Opening a month of recording: the recorder's constructor on a file of kMonthMoments moments
// with their rows, and beside it the check of that file alone (a fresh connection and PRAGMA
// quick_check, the first thing the constructor runs), so that the two figures tell what the check
// adds to the start. The file is written once per run, through the recorder's own operations,
// and is in the page cache when timed: this is a warm start, the one after a quit and relaunch.

// About a month of use: some 22 working days of eight hours, a moment every dozen seconds.
constexpr int kMonthMoments = 50'000;
constexpr int kMonthDays = 22;
constexpr double kMomentSpacing = 12;
// The page text read for a moment the user stayed on; about every other one.
constexpr size_t kMonthTextEvery = 2;
// Opens timed per repetition: each reads the whole file, tenths of a second.
constexpr int kOpens = 3;

std::string pageText(uint64_t id) {
  static const std::string words =
      "The quarterly report compares the regions by revenue, margin and headcount; each section "
      "ends with the figures the board asked for and a note on what changed since the last one. ";
  std::string text;
  for (size_t at = id % words.size(); text.size() < Recorder::kPageTextCharacters; ++at) {
    text += words[at % words.size()];
  }
  return text;
}

struct MonthRecording {
  ScratchFile file;
  MonthRecording() {
    NoMain main;
    NoTimers timers;
    Recorder recorder(file.path(), main, timers, WallClock::system());
    const Policy policy;
    const int perDay = kMonthMoments / kMonthDays;
    uint64_t id = 0;
    for (int day = 0; day < kMonthDays; ++day) {
      const Date dayStart{800000000.0 + day * 86400.0};
      recorder.start(SessionRecord{dayStart, "bench", "os", "mac", {}, {}});
      for (int i = 0; i < perDay; ++i) {
        MomentRecord record = pageRecord(++id);
        record.start = dayStart + i * kMomentSpacing;
        const Moment moment(id, record.start, "Firefox", "firefox", *record.title,
                            Url::parse(*record.url));
        recorder.begin(record, InputCounts{static_cast<uint32_t>(id), 0, 0, 0});
        if (id % kMonthTextEvery == 0) {
          recorder.text(moment, pageText(id), std::nullopt,
                        PageShape{12, 3, 2, 1, 1000, 140, false}, std::string("text"), 0.02);
        }
        recorder.runs({{"head",
                        "A page about something. example.com articles",
                        "not in the table",
                        {{"general", 0.31f}, {"work", 0.29f}},
                        0.004}},
                      id, std::nullopt, "bench@0000000/head", false, record.start);
        Analysis analysis;
        analysis.observationID = id;
        analysis.activity = ActivityKind::work;
        analysis.activityScore = 0.71f;
        recorder.decision(DecisionRecord(policy, analysis, std::nullopt, "none",
                                         std::string("bench"), true, record.start));
      }
      recorder.stop(dayStart + perDay * kMomentSpacing, InputCounts{});
    }
    recorder.flush().get();
  }
};

// Built at its first use, once for the whole run, and removed at exit.
const MonthRecording& monthRecording() {
  static const MonthRecording month;
  return month;
}

void BM_OpenAMonth(benchmark::State& state) {
  const MonthRecording& month = monthRecording();
  NoMain main;
  NoTimers timers;
  for (auto _ : state) {
    std::optional<Recorder> recorder;
    recorder.emplace(month.file.path(), main, timers, WallClock::system());
    state.PauseTiming();
    recorder.reset();
    state.ResumeTiming();
  }
  state.counters["MB"] = static_cast<double>(std::filesystem::file_size(month.file.path())) / 1e6;
}
BENCHMARK(BM_OpenAMonth)
    ->Name("Recorder/openAMonth")
    ->Iterations(kOpens)
    ->Unit(benchmark::kMillisecond);

// What comparing each index with its table adds to the recording's check of a month.
void BM_CheckAMonth(benchmark::State& state) {
  timeChecksInTurn(state, monthRecording().file.path());
}
BENCHMARK(BM_CheckAMonth)
    ->Name("Recorder/checkAMonth")
    ->Iterations(kOpens)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qb
