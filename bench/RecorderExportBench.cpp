// The recording's export: its speed in MB of JSON Lines written per second, and the memory it
// takes above what the process held before it, which must not grow with the recording: the
// export streams, a row read and a line written at a time. The recording is built once per size,
// with plain INSERTs of moments shaped like real ones, outside the timing.

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "BenchSupport.h"
#include "base/WallClock.h"
#include "recording/Recorder.h"

namespace qb {
namespace {

// Every this many moments has a page text, as pages read in a browser do.
constexpr int64_t kMomentsPerPageText = 4;
constexpr size_t kPageTextCharacters = 600;
// The recording's sizes: the speed is read at the first; the second, three times as large, shows
// that the peak stays where it was while the export triples. A million moments shows the same
// peak at some 25 s a run, most of it building the recording.
constexpr int64_t kMomentCounts[] = {100'000, 300'000};
// Exports of each recording; the peak is the largest of them.
constexpr int kExportsPerSize = 2;

void check(int result, sqlite3* db, const char* what) {
  if (result != SQLITE_OK && result != SQLITE_DONE) {
    throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
  }
}

// A recording of `moments` moments in one session, and how long building it took.
struct Recording {
  ScratchFile scratch;
  double buildSeconds = 0;
};

const Recording& recording(int64_t moments) {
  static std::map<int64_t, std::unique_ptr<Recording>> built;
  auto& slot = built[moments];
  if (slot) return *slot;
  slot = std::make_unique<Recording>();
  const auto start = std::chrono::steady_clock::now();
  {
    NoMain main;
    NoTimers timers;
    Recorder recorder(slot->scratch.path(), main, timers, WallClock::system());
    recorder.start(SessionRecord{Date{800000000}, "bench", "os", "mac", {}, {}});
    recorder.flush().get();
  }
  sqlite3* db = nullptr;
  check(sqlite3_open(slot->scratch.path().c_str(), &db), db, "open");
  std::unique_ptr<sqlite3, int (*)(sqlite3*)> owner(db, sqlite3_close);
  check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db, "begin");
  sqlite3_stmt* insert = nullptr;
  check(sqlite3_prepare_v2(
            db,
            "INSERT INTO moments (session, id, started, ended, app, bundle_id, title, url, host, "
            "cause, read_ms, idle, full_screen, frame, displays, keys, clicks, scrolls, moves, "
            "ticks, media, page_text, page_shape, read_via, window_share) VALUES (1, ?1, ?2, ?2 + "
            "40, 'Browser', 'browser', 'A page about something number ' || ?1, "
            "'https://www.example.com/articles/' || ?1 || '?q=term', 'example.com', 'switch', "
            "12.5, 0.4, 0, '[0,32,1440,868]', 1, 120, 14, 9, 800, '[[30,100,10,5,600],[40,20,4,4,"
            "200]]', 0, ?3, '{\"chars\":600,\"fields\":1,\"headings\":4,\"images\":2,\"links\":"
            "40,\"nodes\":900,\"truncated\":false}', 'accessibility', '[0.8,0.9]')",
            -1, &insert, nullptr),
        db, "prepare");
  const std::string pageText(kPageTextCharacters, 'w');
  for (int64_t id = 1; id <= moments; ++id) {
    sqlite3_bind_int64(insert, 1, id);
    sqlite3_bind_double(insert, 2, 1.8e9 + 40.0 * static_cast<double>(id));
    if (id % kMomentsPerPageText == 0) {
      sqlite3_bind_text(insert, 3, pageText.c_str(), -1, SQLITE_STATIC);
    } else {
      sqlite3_bind_null(insert, 3);
    }
    check(sqlite3_step(insert), db, "insert");
    check(sqlite3_reset(insert), db, "reset");
  }
  check(sqlite3_finalize(insert), db, "finalize");
  check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");
  slot->buildSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return *slot;
}

void BM_RecorderExport(benchmark::State& state) {
  const Recording& source = recording(state.range(0));
  const std::filesystem::path folder = source.scratch.folder() / "export";
  resetPeak();
  if (statusKilobytes("VmHWM") > statusKilobytes("VmRSS") + kResetSlackKilobytes) {
    state.SkipWithError("VmHWM cannot be reset through /proc/self/clear_refs");
  }
  double peak = -1;
  int64_t bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    malloc_trim(0);
    resetPeak();
    const double before = statusKilobytes("VmRSS");
    state.ResumeTiming();
    Recorder::exportReadOnly(source.scratch.path(), folder);
    state.PauseTiming();
    peak = std::max(peak, statusKilobytes("VmHWM") - before);
    bytes = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      bytes += static_cast<int64_t>(entry.file_size());
    }
    state.ResumeTiming();
  }
  state.SetBytesProcessed(bytes * state.iterations());
  state.counters["moments"] = static_cast<double>(state.range(0));
  state.counters["export_MB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
  state.counters["peak_MB"] = peak / 1024.0;
  state.counters["build_s"] = source.buildSeconds;
}

void momentCounts(benchmark::internal::Benchmark* b) {
  for (int64_t moments : kMomentCounts) b->Arg(moments);
  b->ArgName("moments");
}

BENCHMARK(BM_RecorderExport)
    ->Name("RecorderExport")
    ->Apply(momentCounts)
    ->Iterations(kExportsPerSize)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qb
